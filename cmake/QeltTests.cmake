# Test support: GoogleTest, the Wine fixture and qelt_add_wine_test().
#
# On a Linux host the tests are Windows programs run under wine64 by
# tools/wine-run (the toolchain's CMAKE_CROSSCOMPILING_EMULATOR), inside a
# private Wine world that the qelt_wine fixture starts and stops. On Windows
# they run as they are, in the machine's own code page.
include_guard(GLOBAL)

set(QELT_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
    "GoogleTest sources (Debian's googletest package); elsewhere an installed GTest is used")
set(QELT_TEST_TIMEOUT 300 CACHE STRING "Default time limit of one test program, in seconds")
set(QELT_PRODUCT_EXE "${CMAKE_SOURCE_DIR}/build/i686/qelt.exe" CACHE FILEPATH
    "The 32-bit qelt.exe whose resources and headers the tests read")

if(CMAKE_HOST_UNIX AND CMAKE_CROSSCOMPILING_EMULATOR)
  set(QELT_TESTS_UNDER_WINE ON)
else()
  set(QELT_TESTS_UNDER_WINE OFF)
endif()
set(QELT_WINE_ENV ${PROJECT_SOURCE_DIR}/tools/wine-env.sh)
# Code pages a test can ask for; each has its own Wine prefix.
set(QELT_WINE_CODE_PAGES 1252 932)

# GoogleTest as GTest::gtest and GTest::gtest_main.
function(qelt_add_googletest)
  if(TARGET GTest::gtest_main)
    return()
  endif()
  if(EXISTS ${QELT_GTEST_SOURCE_DIR}/CMakeLists.txt)
    # No pthreads on MinGW; the posix thread model still gives std::mutex.
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${QELT_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    foreach(target gtest gtest_main)
      # GoogleTest's own sources are not held to our warnings.
      target_compile_options(${target} PRIVATE -Wno-error -w)
      if(NOT TARGET GTest::${target})
        add_library(GTest::${target} ALIAS ${target})
      endif()
    endforeach()
  else()
    find_package(GTest REQUIRED)
  endif()
endfunction()

# The fixture every Wine test requires: per code page an Xvfb, a wineserver
# and a first Wine process, all with their streams on /dev/null.
function(qelt_add_wine_fixture)
  if(NOT QELT_TESTS_UNDER_WINE OR TEST qelt_wine_start)
    return()
  endif()
  add_test(NAME qelt_wine_start
           COMMAND ${QELT_WINE_ENV} --build-dir ${CMAKE_BINARY_DIR} start ${QELT_WINE_CODE_PAGES})
  add_test(NAME qelt_wine_stop COMMAND ${QELT_WINE_ENV} --build-dir ${CMAKE_BINARY_DIR} stop)
  # A first run makes the prefixes (some seconds each).
  set_tests_properties(qelt_wine_start PROPERTIES FIXTURES_SETUP qelt_wine TIMEOUT 300 LABELS wine)
  set_tests_properties(qelt_wine_stop PROPERTIES FIXTURES_CLEANUP qelt_wine TIMEOUT 60 LABELS wine)
endfunction()

# Registers a test program, once per code page when CODE_PAGES is given
# (as <name>_cp1252, <name>_cp932), else once as <name> under 1252.
#
#   qelt_add_wine_test(<target> [NAME <test>] [CODE_PAGES <cp>...] [ARGS <arg>...]
#                      [TIMEOUT <s>] [LABELS <label>...])
#     registers an executable target made elsewhere;
#   qelt_add_wine_test(NAME <name> SOURCES <file>... [LIBRARIES <lib>...]
#                      [RESOURCES <file.rc>...] [OWN_MAIN] [TARGET <target>] ...)
#     builds qelt_test_<name>.exe (or <target>) with GoogleTest first;
#   qelt_add_wine_test(NAME <name> TARGET <target> ...)
#     registers the target again, e.g. with other ARGS.
function(qelt_add_wine_test)
  set(options OWN_MAIN)
  set(one NAME TARGET TIMEOUT)
  set(many SOURCES LIBRARIES RESOURCES CODE_PAGES ARGS LABELS)
  if(ARGC GREATER 0 AND NOT ARGV0 STREQUAL "NAME")
    set(target ${ARGV0})
    cmake_parse_arguments(PARSE_ARGV 1 arg "${options}" "${one}" "${many}")
    if(NOT arg_NAME)
      set(arg_NAME ${target})
    endif()
  else()
    cmake_parse_arguments(PARSE_ARGV 0 arg "${options}" "${one}" "${many}")
    if(NOT arg_NAME)
      message(FATAL_ERROR "qelt_add_wine_test: give a target or NAME")
    elseif(arg_TARGET)
      set(target ${arg_TARGET})
    else()
      set(target qelt_test_${arg_NAME})
    endif()
  endif()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "qelt_add_wine_test(${arg_NAME}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()

  if(arg_SOURCES)
    add_executable(${target} ${arg_SOURCES})
    # Tests name the tree's headers from its top: "tests/ui/desktop.h".
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
    if(arg_OWN_MAIN)
      target_link_libraries(${target} PRIVATE ${arg_LIBRARIES} GTest::gtest)
    else()
      target_link_libraries(${target} PRIVATE ${arg_LIBRARIES} GTest::gtest_main)
    endif()
    if(arg_RESOURCES)
      add_library(${target}_resources OBJECT ${arg_RESOURCES})
      # windres takes none of the tree's compiler options.
      set_property(TARGET ${target}_resources PROPERTY COMPILE_OPTIONS "")
      target_include_directories(${target}_resources PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}
                                 ${CMAKE_CURRENT_BINARY_DIR} ${PROJECT_SOURCE_DIR})
      target_link_libraries(${target} PRIVATE ${target}_resources)
    endif()
  elseif(NOT TARGET ${target})
    message(FATAL_ERROR "qelt_add_wine_test: no target ${target} and no SOURCES")
  endif()

  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT ${QELT_TEST_TIMEOUT})
  endif()
  if(NOT QELT_TESTS_UNDER_WINE)
    # Natively there is one code page, the machine's.
    add_test(NAME ${arg_NAME} COMMAND ${target} ${arg_ARGS})
    set_tests_properties(${arg_NAME} PROPERTIES TIMEOUT ${arg_TIMEOUT} LABELS "${arg_LABELS}")
    return()
  endif()

  if(arg_CODE_PAGES)
    set(suffixed ON)
  else()
    set(suffixed OFF)
    set(arg_CODE_PAGES 1252)
  endif()
  foreach(cp IN LISTS arg_CODE_PAGES)
    if(NOT cp IN_LIST QELT_WINE_CODE_PAGES)
      message(FATAL_ERROR "qelt_add_wine_test(${arg_NAME}): code page ${cp} has no Wine prefix; "
                          "known: ${QELT_WINE_CODE_PAGES}")
    endif()
    if(suffixed)
      set(test ${arg_NAME}_cp${cp})
    else()
      set(test ${arg_NAME})
    endif()
    add_test(NAME ${test} COMMAND ${target} ${arg_ARGS})
    set_tests_properties(${test} PROPERTIES
      TIMEOUT ${arg_TIMEOUT}
      ENVIRONMENT "QELT_WINE_CODE_PAGE=${cp}"
      FIXTURES_REQUIRED qelt_wine
      # One test at a time per world: tests read the window list and click.
      RESOURCE_LOCK qelt_wine_${cp}
      LABELS "wine;cp${cp};${arg_LABELS}")
  endforeach()
endfunction()

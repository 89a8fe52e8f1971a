# cmake -DSOURCE_DIR=<tree> -DREFERENCE=<qelt.exe> [-DWORK_DIR=<folder>] -P reproducible_build.cmake
#
# Copies the tree (without build/ and .git/) into a new folder, builds the
# i686 preset there and compares its qelt.exe with REFERENCE byte for byte.
# The folder is removed when they match and kept, for comparing, when not.
cmake_minimum_required(VERSION 3.25)
foreach(var SOURCE_DIR REFERENCE)
  if(NOT ${var})
    message(FATAL_ERROR "${var} not given")
  endif()
endforeach()
if(NOT EXISTS ${REFERENCE})
  message(FATAL_ERROR "${REFERENCE} missing: build the i686 preset first")
endif()

if(NOT WORK_DIR)
  if(DEFINED ENV{TMPDIR})
    set(base $ENV{TMPDIR})
  else()
    set(base /tmp)
  endif()
  string(RANDOM LENGTH 8 ALPHABET abcdefghijklmnopqrstuvwxyz0123456789 tag)
  # Another depth and length than the usual folder, so that a path that
  # leaks into the file shows.
  set(WORK_DIR ${base}/qelt-repro-${tag}/another/tree)
endif()
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

file(GLOB entries LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/* ${SOURCE_DIR}/.*)
foreach(entry IN LISTS entries)
  if(NOT entry MATCHES "^(build|\\.git|\\.|\\.\\.)$")
    file(COPY ${SOURCE_DIR}/${entry} DESTINATION ${WORK_DIR})
  endif()
endforeach()

function(run what)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE result
                  OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed in ${WORK_DIR}:\n${output}")
  endif()
endfunction()
run("configuring" ${CMAKE_COMMAND} --preset i686)
run("building" ${CMAKE_COMMAND} --build --preset i686)

set(copy ${WORK_DIR}/build/i686/qelt.exe)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${REFERENCE} ${copy} RESULT_VARIABLE differ)
if(differ)
  file(SHA256 ${REFERENCE} reference_hash)
  file(SHA256 ${copy} copy_hash)
  file(SIZE ${REFERENCE} reference_size)
  file(SIZE ${copy} copy_size)
  message(FATAL_ERROR "qelt.exe differs between the two builds:\n"
          "  ${REFERENCE}: ${reference_size} bytes, sha256 ${reference_hash}\n"
          "  ${copy}: ${copy_size} bytes, sha256 ${copy_hash}\n"
          "The second build is kept; compare with cmp -l.")
endif()
file(SHA256 ${copy} hash)
message(STATUS "qelt.exe identical in both builds (sha256 ${hash})")
string(REGEX REPLACE "/another/tree$" "" top ${WORK_DIR})
file(REMOVE_RECURSE ${top})

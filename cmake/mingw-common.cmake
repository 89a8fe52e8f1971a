# The posix thread model: GoogleTest needs std::mutex, which GCC 12's
# win32 thread model lacks. winpthread is linked statically, so the
# executables still import nothing but Windows' own DLLs.
# On MSYS2 the compilers carry no -posix suffix.
find_program(QELT_CXX NAMES ${QELT_TRIPLE}-g++-posix ${QELT_TRIPLE}-g++ g++ REQUIRED)
find_program(QELT_CC NAMES ${QELT_TRIPLE}-gcc-posix ${QELT_TRIPLE}-gcc gcc REQUIRED)
find_program(QELT_RC NAMES ${QELT_TRIPLE}-windres windres REQUIRED)
set(CMAKE_CXX_COMPILER ${QELT_CXX})
set(CMAKE_C_COMPILER ${QELT_CC})
set(CMAKE_RC_COMPILER ${QELT_RC})
set(CMAKE_FIND_ROOT_PATH /usr/${QELT_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (POSIX threads).
# Used for the Windows libraries (tools/windows/build-sdk.sh) and for the
# product (tools/windows/build.sh); the libraries' folder is passed as
# CMAKE_PREFIX_PATH and searched besides the compiler's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORAVELT_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ORAVELT_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORAVELT_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ORAVELT_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORAVELT_MINGW} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Cross-builds for 32-bit Windows with Debian's mingw-w64 (posix thread model,
# which std::thread needs). Libraries are taken from mingw's own folder and
# from DEMO_LIBRARY_PREFIX, where scripts/library-prefix.sh installs the ones it
# builds.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

# Passed on to try_compile projects, which read the toolchain file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DEMO_LIBRARY_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32 ${DEMO_LIBRARY_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

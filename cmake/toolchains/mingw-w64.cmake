# What both Windows toolchains share: Debian's mingw-w64 compilers for
# DEMO_MINGW_TRIPLE (posix thread model, which std::thread needs), libraries
# from mingw's own folder and from DEMO_LIBRARY_PREFIX, where
# scripts/library-prefix.sh installs the ones it builds.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${DEMO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DEMO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${DEMO_MINGW_TRIPLE}-windres)

# Passed on to try_compile projects, which read the toolchain file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DEMO_LIBRARY_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${DEMO_MINGW_TRIPLE} ${DEMO_LIBRARY_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

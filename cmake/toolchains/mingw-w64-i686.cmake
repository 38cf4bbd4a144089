# Cross-compiles for 32-bit Windows with Debian's mingw-w64 (posix threads, so
# std::thread and friends work), statically linked into single-file programs:
#   cmake -S . -B build-win32 --toolchain cmake/toolchains/mingw-w64-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Built to prove the code holds with the unit's 32-bit words. The programs
# run under wine's 32-bit loader (/usr/lib/wine/wine, Debian's wine32:i386,
# which .ci/install-deps adds) on a kernel that runs i386 programs, as
# .ci/windows does.

# Cross-compiles for 32-bit ARM Linux (Debian's armhf: ARMv7, hard float)
# with Debian's cross compiler and the :armhf multiarch libraries
# (.ci/install-deps --arm installs both):
#   cmake -S . -B build-arm --toolchain cmake/toolchains/arm-linux-gnueabihf.cmake
# The unit's own word sizes: 32-bit long, size_t and pointers, an unsigned
# plain char and (on Debian 12) a 32-bit time_t.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)

set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)

# Headers and libraries are the multiarch ones under /usr (lib/arm-linux-gnueabihf);
# the cross compiler's own C library is under /usr/arm-linux-gnueabihf.
set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabihf)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
set(PKG_CONFIG_EXECUTABLE arm-linux-gnueabihf-pkg-config CACHE FILEPATH "pkg-config for armhf")

# Tests and their discovery run through qemu-user (no binfmt registration
# needed). The dynamic loader is libc6:armhf's /lib/ld-linux-armhf.so.3, of
# the same build as the libc.so.6 it loads: with -L /usr/arm-linux-gnueabihf
# qemu would take the cross toolchain's older loader, and pthread_create
# crashes in the mix.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-arm)


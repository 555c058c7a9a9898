# Cross-builds for 64-bit ARM Linux (Raspberry Pi OS, Debian arm64) on a
# Debian amd64 machine with the arm64 libraries installed side by side
# (multiarch): Debian's cross compiler, the arm64 Qt libraries under
# /usr/lib/aarch64-linux-gnu and the machine's own moc, rcc and uic.
# scripts/package-arm64 installs all of it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# A release build at -O2, as Debian builds its own arm64 packages: at -O3
# the aarch64 GCC 12 reports std::vector's range insert as writing out of
# bounds (-Warray-bounds), which it does not.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")

# The compilers' own search paths, and CMAKE_LIBRARY_ARCHITECTURE for CMake's,
# find the arm64 headers and libraries; programs found are this machine's.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)

# Test programs and anything else built here run under user-mode emulation.
find_program(ORRINET_QEMU_AARCH64 qemu-aarch64)
if(ORRINET_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORRINET_QEMU_AARCH64})
endif()

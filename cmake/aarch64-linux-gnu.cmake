# Cross-building for 64-bit ARM Linux (a Raspberry Pi with a 64-bit system) with Debian's
# crossbuild-essential-arm64 and the :arm64 development packages (multiarch):
#
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
#
# Programs built here run under qemu-user (qemu-aarch64), which CMake uses to run them at build
# and test time; the arm64 libraries they load come from the multiarch folders.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(FERLANG_CROSS_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${FERLANG_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${FERLANG_CROSS_TRIPLE}-g++)
# Libraries are looked for in the arm64 multiarch folders (/usr/lib/aarch64-linux-gnu).
set(CMAKE_LIBRARY_ARCHITECTURE ${FERLANG_CROSS_TRIPLE})
set(CMAKE_STRIP ${FERLANG_CROSS_TRIPLE}-strip CACHE FILEPATH "strip")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
# The Debian package's architecture (packaging/CMakeLists.txt).
set(FERLANG_DEBIAN_ARCHITECTURE arm64)

# pkg-config reads the arm64 libraries' files, not the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/${FERLANG_CROSS_TRIPLE}/pkgconfig:/usr/share/pkgconfig")

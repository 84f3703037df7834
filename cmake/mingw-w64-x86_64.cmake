# Cross-building for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix).
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The posix thread model gives std::thread and std::mutex. The C and C++ runtimes are linked
# statically, so ferlang.exe and the test programs need no DLL that Windows does not ship.
# Programs built here run under Wine (wine64), which CMake uses to run them at build and test
# time (CMAKE_CROSSCOMPILING_EMULATOR, set by tests/windows.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FERLANG_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FERLANG_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FERLANG_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${FERLANG_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${FERLANG_MINGW_TRIPLE}-ar CACHE FILEPATH "archiver")
set(CMAKE_RANLIB ${FERLANG_MINGW_TRIPLE}-ranlib CACHE FILEPATH "ranlib")
set(CMAKE_STRIP ${FERLANG_MINGW_TRIPLE}-strip CACHE FILEPATH "strip")

# Headers and libraries come from the MinGW tree only; programs (cmake's own helpers) from the
# build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${FERLANG_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static C, C++ and thread runtimes: -static also takes winpthreads' static archive.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

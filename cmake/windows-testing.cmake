# Unit tests of the Windows build: GoogleTest built from Debian's sources with the MinGW
# toolchain (there is no MinGW package of it), and every test program run under Wine.
set(FERLANG_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH
  "GoogleTest's sources (Debian package googletest)")
set(FERLANG_WINE_PROGRAMS /usr/lib/wine CACHE PATH "The folder that holds wine64 and wineserver")
set(FERLANG_WINEPREFIX "${CMAKE_BINARY_DIR}/wine-prefix" CACHE PATH "The build's own Wine prefix")

if(NOT EXISTS "${FERLANG_GOOGLETEST_SOURCE}/CMakeLists.txt")
  message(FATAL_ERROR "GoogleTest's sources are missing from ${FERLANG_GOOGLETEST_SOURCE} "
    "(apt-get install googletest)")
endif()
if(NOT EXISTS "${FERLANG_WINE_PROGRAMS}/wine64")
  message(FATAL_ERROR "wine64 is missing from ${FERLANG_WINE_PROGRAMS} (apt-get install wine64)")
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory("${FERLANG_GOOGLETEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
if(NOT TARGET GTest::gtest)  # GoogleTest 1.12 and later name them itself
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

configure_file("${PROJECT_SOURCE_DIR}/cmake/wine-run.in" "${CMAKE_BINARY_DIR}/wine-run"
  @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE)
# Every executable made from here on runs through Wine, at build time (test discovery) and
# under ctest.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_BINARY_DIR}/wine-run")

# The stand-in for outside programs (tests/support/recorder.cpp), which the process and shell
# tests copy under the names of the programs it stands in for. Its path as the test programs see
# it under Wine, whose drive Z: is the root of the Linux file system:
# "Z:$<TARGET_FILE:ferlang_test_recorder>".
add_executable(ferlang_test_recorder "${PROJECT_SOURCE_DIR}/tests/support/recorder.cpp")
set_target_properties(ferlang_test_recorder PROPERTIES OUTPUT_NAME recorder)
ferlang_warnings(ferlang_test_recorder)

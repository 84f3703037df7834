# CMake generated Testfile for 
# Source directory: /work/main/tests/unit/core
# Build directory: /work/main/build/tests/unit/core
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/main/build/tests/unit/core/unit_core[1]_include.cmake")

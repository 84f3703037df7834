
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/tests/unit/core/errors_test.cpp" "tests/unit/core/CMakeFiles/unit_core.dir/errors_test.cpp.o" "gcc" "tests/unit/core/CMakeFiles/unit_core.dir/errors_test.cpp.o.d"
  "/work/main/tests/unit/core/key_queue_test.cpp" "tests/unit/core/CMakeFiles/unit_core.dir/key_queue_test.cpp.o" "gcc" "tests/unit/core/CMakeFiles/unit_core.dir/key_queue_test.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/runtime/CMakeFiles/ferlang_runtime.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")


# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/runtime/core/clock.cpp" "runtime/CMakeFiles/ferlang_runtime.dir/core/clock.cpp.o" "gcc" "runtime/CMakeFiles/ferlang_runtime.dir/core/clock.cpp.o.d"
  "/work/main/runtime/core/errors.cpp" "runtime/CMakeFiles/ferlang_runtime.dir/core/errors.cpp.o" "gcc" "runtime/CMakeFiles/ferlang_runtime.dir/core/errors.cpp.o.d"
  "/work/main/runtime/core/key_queue.cpp" "runtime/CMakeFiles/ferlang_runtime.dir/core/key_queue.cpp.o" "gcc" "runtime/CMakeFiles/ferlang_runtime.dir/core/key_queue.cpp.o.d"
  "/work/main/runtime/core/low_memory.cpp" "runtime/CMakeFiles/ferlang_runtime.dir/core/low_memory.cpp.o" "gcc" "runtime/CMakeFiles/ferlang_runtime.dir/core/low_memory.cpp.o.d"
  "/work/main/runtime/core/program_park.cpp" "runtime/CMakeFiles/ferlang_runtime.dir/core/program_park.cpp.o" "gcc" "runtime/CMakeFiles/ferlang_runtime.dir/core/program_park.cpp.o.d"
  "/work/main/runtime/core/shared_flags.cpp" "runtime/CMakeFiles/ferlang_runtime.dir/core/shared_flags.cpp.o" "gcc" "runtime/CMakeFiles/ferlang_runtime.dir/core/shared_flags.cpp.o.d"
  "/work/main/runtime/platform/message_box.cpp" "runtime/CMakeFiles/ferlang_runtime.dir/platform/message_box.cpp.o" "gcc" "runtime/CMakeFiles/ferlang_runtime.dir/platform/message_box.cpp.o.d"
  "/work/main/runtime/platform/message_box_stderr.cpp" "runtime/CMakeFiles/ferlang_runtime.dir/platform/message_box_stderr.cpp.o" "gcc" "runtime/CMakeFiles/ferlang_runtime.dir/platform/message_box_stderr.cpp.o.d"
  "/work/main/runtime/platform/process_exit_posix.cpp" "runtime/CMakeFiles/ferlang_runtime.dir/platform/process_exit_posix.cpp.o" "gcc" "runtime/CMakeFiles/ferlang_runtime.dir/platform/process_exit_posix.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")

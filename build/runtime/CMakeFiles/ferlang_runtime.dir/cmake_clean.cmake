file(REMOVE_RECURSE
  "CMakeFiles/ferlang_runtime.dir/core/clock.cpp.o"
  "CMakeFiles/ferlang_runtime.dir/core/clock.cpp.o.d"
  "CMakeFiles/ferlang_runtime.dir/core/errors.cpp.o"
  "CMakeFiles/ferlang_runtime.dir/core/errors.cpp.o.d"
  "CMakeFiles/ferlang_runtime.dir/core/key_queue.cpp.o"
  "CMakeFiles/ferlang_runtime.dir/core/key_queue.cpp.o.d"
  "CMakeFiles/ferlang_runtime.dir/core/low_memory.cpp.o"
  "CMakeFiles/ferlang_runtime.dir/core/low_memory.cpp.o.d"
  "CMakeFiles/ferlang_runtime.dir/core/program_park.cpp.o"
  "CMakeFiles/ferlang_runtime.dir/core/program_park.cpp.o.d"
  "CMakeFiles/ferlang_runtime.dir/core/shared_flags.cpp.o"
  "CMakeFiles/ferlang_runtime.dir/core/shared_flags.cpp.o.d"
  "CMakeFiles/ferlang_runtime.dir/platform/message_box.cpp.o"
  "CMakeFiles/ferlang_runtime.dir/platform/message_box.cpp.o.d"
  "CMakeFiles/ferlang_runtime.dir/platform/message_box_stderr.cpp.o"
  "CMakeFiles/ferlang_runtime.dir/platform/message_box_stderr.cpp.o.d"
  "CMakeFiles/ferlang_runtime.dir/platform/process_exit_posix.cpp.o"
  "CMakeFiles/ferlang_runtime.dir/platform/process_exit_posix.cpp.o.d"
  "libferlang_runtime.a"
  "libferlang_runtime.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/ferlang_runtime.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()

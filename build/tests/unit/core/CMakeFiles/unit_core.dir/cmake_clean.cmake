file(REMOVE_RECURSE
  "CMakeFiles/unit_core.dir/errors_test.cpp.o"
  "CMakeFiles/unit_core.dir/errors_test.cpp.o.d"
  "CMakeFiles/unit_core.dir/key_queue_test.cpp.o"
  "CMakeFiles/unit_core.dir/key_queue_test.cpp.o.d"
  "unit_core"
  "unit_core.pdb"
  "unit_core[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/unit_core.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()

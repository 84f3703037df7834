# Project-wide warnings; errors in the test build (scripts/test turns FERLANG_WERROR on).
function(ferlang_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wconversion -Wno-sign-conversion)
  if(FERLANG_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# One warning policy for every target of the project.
function(orsk_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(ORSK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

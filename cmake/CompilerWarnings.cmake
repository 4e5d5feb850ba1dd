# One warning policy for every target of the project.
function(orsk_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 reports false -Wrestrict overlaps inside std::string's inlined copies at -O2
    # (GCC bug 105329); the warning says nothing about our code there.
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(ORSK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

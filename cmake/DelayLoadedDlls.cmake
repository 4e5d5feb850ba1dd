# Import libraries that load their DLL on the first call instead of at start-up (dlltool's
# delay-import libraries, with the MinGW runtime's __delayLoadHelper2 from libdelayimp).
# The COM and accessibility DLLs are needed only once an assistive tool asks for the text area,
# yet loading them and the DLLs they bring (rpcrt4, combase) costs every start.
#
# orsk_delay_loaded_dll(<target> <dll> <function>@<argument bytes>...) makes the INTERFACE
# target <target> that links the delay-import library of <dll>.dll for exactly the functions
# named. The byte counts are the i686 stdcall decorations; x86_64 names carry none. Calling a
# function that is not listed fails at link time, never at run time.
function(orsk_delay_loaded_dll target dll)
  set(def "${CMAKE_CURRENT_BINARY_DIR}/${dll}-delay.def")
  set(lib "${CMAKE_CURRENT_BINARY_DIR}/lib${dll}-delay.a")
  set(lines "LIBRARY ${dll}.dll\nEXPORTS\n")
  foreach(function IN LISTS ARGN)
    if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(REGEX REPLACE "@[0-9]+$" "" function "${function}")
    endif()
    string(APPEND lines "  ${function}\n")
  endforeach()
  file(WRITE "${def}" "${lines}")
  # --kill-at: the DLL exports the undecorated names the i686 objects ask for with "@n".
  add_custom_command(OUTPUT "${lib}"
    COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def "${def}" --output-delaylib "${lib}"
      --dllname "${dll}.dll"
    DEPENDS "${def}"
    COMMENT "Delay-import library of ${dll}.dll")
  add_custom_target(${target}_lib DEPENDS "${lib}")
  add_library(${target} INTERFACE)
  add_dependencies(${target} ${target}_lib)
  target_link_libraries(${target} INTERFACE "${lib}" delayimp)
endfunction()

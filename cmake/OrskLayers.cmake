# The program is built in layers, each a static library over the layers below it:
#
#   common <- intake, store, textmodel, form <- view <- win32 <- window <- app (the program)
#
# orsk_layer(NAME DIR FOLDER [WIN32] SOURCES ... [USES layer ...] [LIBS system-library ...])
# makes the library of one folder and links it to the layers it uses, nothing else. Every
# `#include "..."` of the folder's sources is checked when they are built: it must name a header
# of the folder itself or of a layer it uses, directly or through another layer. An include that
# reaches up or sideways fails the build with the file and the include named.

set(ORSK_LAYER_CHECK_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/CheckLayerIncludes.cmake)

function(orsk_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "DIR" "SOURCES;USES;LIBS")
  add_library(${name} STATIC ${LAYER_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${LAYER_USES} ${LAYER_LIBS})
  orsk_set_warnings(${name})

  # The folders this layer may include from: its own and, transitively, those of its layers.
  set(folders ${LAYER_DIR})
  foreach(used IN LISTS LAYER_USES)
    get_target_property(usedFolders ${used} ORSK_LAYER_FOLDERS)
    list(APPEND folders ${usedFolders})
  endforeach()
  list(REMOVE_DUPLICATES folders)
  set_target_properties(${name} PROPERTIES ORSK_LAYER_FOLDERS "${folders}")
  orsk_check_layer_includes(${name} "${LAYER_DIR}" "${folders}" ${LAYER_SOURCES})
endfunction()

# The include check for any target (a layer, or the program on top of them).
function(orsk_check_layer_includes target folder folders)
  set(sources ${ARGN})
  list(FILTER sources INCLUDE REGEX "\\.(c|cpp|h|rc)$")
  list(TRANSFORM sources PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.includes-checked)
  string(REPLACE ";" "," folderList "${folders}")
  string(REPLACE ";" "," sourceList "${sources}")
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DFOLDER=${folder}
            -DALLOWED=${folderList} -DSOURCES=${sourceList} -DSTAMP=${stamp}
            -P ${ORSK_LAYER_CHECK_SCRIPT}
    DEPENDS ${sources} ${ORSK_LAYER_CHECK_SCRIPT}
    COMMENT "Checking the includes of ${folder}"
    VERBATIM)
  add_custom_target(${target}_includes DEPENDS ${stamp})
  add_dependencies(${target} ${target}_includes)
endfunction()

# Layering: no folder includes a header of a library it does not link. Each library's reach
# (its own folder and the folders of every library it links, directly or through others) is
# read from the link lines, so the check and target_link_libraries cannot disagree; QtWidgets
# headers are for the folders whose libraries link Qt6::Widgets. The check runs when the build
# is configured and again as the test "Layering" (an include added since is caught there).
#
# Included from the top CMakeLists after every library is defined.

# The folders of src/ (and sim/, app/) with the libraries built from each.
set(dilato_layer_folders
  platform=dilato_platform analysis=dilato_analysis storage=dilato_storage
  instrument=dilato_instrument report=dilato_report calibration=dilato_calibration
  update=dilato_update core=dilato_core ui/plot=dilato_plot ui/update=dilato_ui_update
  results=dilato_results ui/results=dilato_results_tab
  ui=dilato_ui sim=dilato_sim,dilato_sim_devices
  app=dilato_app_common,dilato_runner,dilato_gui)

# Headers a folder may not include although its library links theirs: the analysis is pure
# computation and hands its failures back, so it includes nothing of the operator interface
# (messages, sounds, the busy pointer), of the desktop or of the program's end.
set(dilato_layer_refused
  "analysis=platform/Operator.h,platform/Desktop.h,platform/DesktopChecks.h,platform/SoundPlayer.h,platform/ProgramEnd.h")

# The targets `target` links, directly or through others, appended to the variable `out`.
function(dilato_linked_targets target out)
  set(found ${${out}})
  get_target_property(links ${target} LINK_LIBRARIES)
  if(NOT links)
    set(links "")
  endif()
  foreach(linked IN LISTS links)
    if(TARGET ${linked} AND NOT linked IN_LIST found)
      list(APPEND found ${linked})
      dilato_linked_targets(${linked} found)
    endif()
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(dilato_layer_reach_file file)
  set(content "set(dilato_folders \"\")\n")
  # target -> folder, for reading a reach back as folders
  foreach(entry IN LISTS dilato_layer_folders)
    string(REPLACE "=" ";" entry "${entry}")
    list(GET entry 0 folder)
    list(GET entry 1 targets)
    string(REPLACE "," ";" targets "${targets}")
    foreach(t IN LISTS targets)
      set(folder_of_${t} ${folder})
    endforeach()
  endforeach()
  foreach(entry IN LISTS dilato_layer_folders)
    string(REPLACE "=" ";" entry "${entry}")
    list(GET entry 0 folder)
    list(GET entry 1 targets)
    string(REPLACE "," ";" targets "${targets}")
    set(linked ${targets})
    foreach(t IN LISTS targets)
      dilato_linked_targets(${t} linked)
    endforeach()
    set(reach ${folder})
    set(widgets OFF)
    foreach(t IN LISTS linked)
      if(DEFINED folder_of_${t})
        list(APPEND reach ${folder_of_${t}})
      elseif(t STREQUAL "Qt6::Widgets")
        set(widgets ON)
      endif()
    endforeach()
    list(REMOVE_DUPLICATES reach)
    string(APPEND content "list(APPEND dilato_folders ${folder})\n"
                          "set(\"dilato_reach_${folder}\" \"${reach}\")\n"
                          "set(\"dilato_widgets_${folder}\" ${widgets})\n")
  endforeach()
  foreach(entry IN LISTS dilato_layer_refused)
    string(REPLACE "=" ";" entry "${entry}")
    list(GET entry 0 folder)
    list(GET entry 1 headers)
    string(APPEND content "set(\"dilato_refused_${folder}\" \"${headers}\")\n")
  endforeach()
  file(WRITE ${file} "${content}")
endfunction()

set(dilato_layer_reach ${CMAKE_BINARY_DIR}/LayerReach.cmake)
dilato_layer_reach_file(${dilato_layer_reach})
execute_process(
  COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DREACH=${dilato_layer_reach}
          -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
  RESULT_VARIABLE dilato_layers_result OUTPUT_VARIABLE dilato_layers_output
  ERROR_VARIABLE dilato_layers_output)
if(NOT dilato_layers_result EQUAL 0)
  message(FATAL_ERROR "${dilato_layers_output}")
endif()
string(REGEX REPLACE "^-- |\n$" "" dilato_layers_output "${dilato_layers_output}")
message(STATUS "${dilato_layers_output}")

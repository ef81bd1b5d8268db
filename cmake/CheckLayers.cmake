cmake_minimum_required(VERSION 3.25)
# cmake -DROOT=<source folder> -DREACH=<LayerReach.cmake> -P CheckLayers.cmake
# Fails, naming each file and include, when a file includes a header of a folder its library
# does not link, a QtWidgets header without linking Qt6::Widgets, or a header its folder
# refuses (see Layers.cmake).

include(${REACH})

# Widget headers: what only a library linking Qt6::Widgets may include.
set(widget_headers_regex
    "^[ \t]*#[ \t]*include[ \t]*<(QtWidgets/.*|QWidget|QApplication|QDialog|QMessageBox|QMainWindow|QPushButton|QLabel|QLineEdit|QComboBox|QFileDialog|QTabWidget|QCheckBox)>")

# The folder a file belongs to: the longest folder of the table its path starts with.
function(folder_of relative out)
  set(best "")
  foreach(folder IN LISTS dilato_folders)
    if(folder STREQUAL "app" OR folder STREQUAL "sim")
      set(prefix "${folder}/")
    else()
      set(prefix "src/${folder}/")
    endif()
    string(LENGTH "${prefix}" n)
    string(SUBSTRING "${relative}" 0 ${n} head)
    string(LENGTH "${best}" best_n)
    if(head STREQUAL prefix AND n GREATER best_n)
      set(best ${folder})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

# The folder an include names ("ui/plot/NiceScale.h" -> ui/plot); empty for one of the
# file's own folder or of no folder in the table.
function(included_folder header out)
  set(best "")
  foreach(folder IN LISTS dilato_folders)
    string(LENGTH "${folder}/" n)
    string(SUBSTRING "${header}" 0 ${n} head)
    string(LENGTH "${best}" best_n)
    if(head STREQUAL "${folder}/" AND n GREATER best_n)
      set(best ${folder})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/src/*.h ${ROOT}/src/*.cpp ${ROOT}/sim/*.h
     ${ROOT}/sim/*.cpp ${ROOT}/app/*.h ${ROOT}/app/*.cpp)
set(faults "")
set(checked 0)
foreach(relative IN LISTS files)
  folder_of(${relative} folder)
  if(folder STREQUAL "")
    continue()
  endif()
  math(EXPR checked "${checked} + 1")
  file(STRINGS ${ROOT}/${relative} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
  foreach(line IN LISTS includes)
    if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\"")
      included_folder("${CMAKE_MATCH_1}" layer)
      string(REPLACE "," ";" refused "${dilato_refused_${folder}}")
      if(NOT layer STREQUAL "" AND NOT layer IN_LIST dilato_reach_${folder})
        string(APPEND faults "  ${relative} includes \"${CMAKE_MATCH_1}\": ${folder} does not link ${layer}\n")
      elseif(CMAKE_MATCH_1 IN_LIST refused)
        string(APPEND faults "  ${relative} includes \"${CMAKE_MATCH_1}\": ${folder} refuses it\n")
      endif()
    elseif(line MATCHES "${widget_headers_regex}" AND NOT dilato_widgets_${folder})
      string(APPEND faults "  ${relative}: ${line} (only a library linking Qt6::Widgets may)\n")
    endif()
  endforeach()
endforeach()

if(checked LESS 100)
  message(FATAL_ERROR "Layering: only ${checked} files found under ${ROOT}")
endif()
if(NOT faults STREQUAL "")
  message(FATAL_ERROR "Layering: includes that reach above their library's layer:\n${faults}")
endif()
message(STATUS "Layering: ${checked} files include only from the layers their libraries link")

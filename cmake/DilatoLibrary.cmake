# dilato_library(NAME SOURCES... DEPENDS targets...)
# One subsystem = one static library; its public include root is src/ so that code reads
#   #include "platform/IniFile.h"
function(dilato_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# dilato_test(NAME [WALL_CLOCK] SOURCES... DEPENDS targets...): one GoogleTest executable
# registered with CTest. WALL_CLOCK marks tests whose instruments answer over pseudo-terminals in
# wall time: they run alone, so that a busy neighbour cannot make a reply miss its deadline.
function(dilato_test name)
  cmake_parse_arguments(ARG "WALL_CLOCK" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} dilato_test_support GTest::gtest GTest::gtest_main GTest::gmock)
  set(serial FALSE)
  if(ARG_WALL_CLOCK)
    set(serial TRUE)
  endif()
  # The operator's own settings (the sample classes kept per sample ID) go to a folder of the
  # build, never to the settings of whoever runs the tests.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${PROJECT_BINARY_DIR}/tests/operator-config"
    RUN_SERIAL ${serial})
endfunction()

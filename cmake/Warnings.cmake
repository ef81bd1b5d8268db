# Warnings on for every target of the project; third-party headers come in as SYSTEM includes.
add_compile_options(-Wall -Wextra -Wpedantic -Wno-unused-parameter)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-Wshadow=local) # clang spells it differently
else()
  add_compile_options(-Wshadow-uncaptured-local)
endif()

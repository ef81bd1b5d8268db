# dilato_check_release_key(KEY): the public half of the release key is empty (a build that
# offers no updates and says so) or exactly 64 hexadecimal digits; anything else stops the
# configuration, so that a mistyped key never turns into "no key" unnoticed.
# Also runs as a script: cmake -DDILATO_UPDATE_PUBLIC_KEY=... -P cmake/ReleaseKey.cmake
function(dilato_check_release_key key)
  if(key STREQUAL "")
    message(STATUS "No release key: this build offers no updates (updates disabled in this build)")
    return()
  endif()
  string(LENGTH "${key}" length)
  if(NOT length EQUAL 64 OR NOT key MATCHES "^[0-9a-fA-F]+$")
    message(FATAL_ERROR "DILATO_UPDATE_PUBLIC_KEY must be exactly 64 hexadecimal digits "
                        "(the output of dilato-sign keygen); it has ${length} characters")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  dilato_check_release_key("${DILATO_UPDATE_PUBLIC_KEY}")
endif()

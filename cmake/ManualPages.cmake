# Manual pages of the installed programs (share/man/man1/PROGRAM.1.gz), made at build time by
# help2man from each program's --help, with the name, description, examples and files from
# packaging/man/PROGRAM.h2m. Dated by the release (DILATO_RELEASE_EPOCH), so that the same
# sources give the same pages.
#
# In: dilato_programs (the programs installed), DILATO_RELEASE_EPOCH.

find_program(DILATO_HELP2MAN help2man)
if(NOT DILATO_HELP2MAN)
  message(WARNING "help2man is missing (scripts/deps installs it): no manual pages are made")
  return()
endif()

set(dilato_man_folder ${PROJECT_BINARY_DIR}/packaging/man)
file(MAKE_DIRECTORY ${dilato_man_folder})
set(dilato_manual_pages)
foreach(program IN LISTS dilato_programs)
  set(include_file ${PROJECT_SOURCE_DIR}/packaging/man/${program}.h2m)
  set(page ${dilato_man_folder}/${program}.1)
  # --help ends before any window or instrument is opened; the sanitizer builds' leak check
  # has nothing to say about a program that only prints its options.
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${DILATO_RELEASE_EPOCH}
            QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            ${DILATO_HELP2MAN} --no-info
            --version-string=${PROJECT_VERSION} --include=${include_file}
            --output=${page} $<TARGET_FILE:${program}>
    COMMAND gzip -9nf ${page}
    DEPENDS ${program} ${include_file}
    COMMENT "Manual page of ${program}"
    VERBATIM)
  list(APPEND dilato_manual_pages ${page}.gz)
endforeach()
add_custom_target(dilato_manual_pages ALL DEPENDS ${dilato_manual_pages})
install(FILES ${dilato_manual_pages} DESTINATION share/man/man1)

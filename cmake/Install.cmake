# Installation and the Debian package.
#
# The program folder (the executables with Fonts/, Sounds/, Help/ and SystemSeed/ beside them,
# as in the build's bin/) goes to <prefix>/lib/dilato; <prefix>/bin holds links to the
# executables. The program finds its resources beside its real path, so the links work.
# The desktop entry, icon and AppStream metainfo go where the desktop looks for them.
# Installing as root into the real system (not into a package's staging folder) also makes the
# group "dilato" and /var/lib/dilato (packaging/postinst); the Debian package runs the same
# script as its postinst.

set(DILATO_APP_ID com.norvane.Dilato)
# Who answers for the package and where it lives: the maker's own domain, the one of the
# application id and of the built-in update server.
set(DILATO_HOMEPAGE https://www.norvane.com)
set(DILATO_MAINTAINER "Norvane Dilato team <dilato@norvane.com>")
set(dilato_install_folder lib/dilato)
set(dilato_packaging ${PROJECT_SOURCE_DIR}/packaging)
include(${CMAKE_CURRENT_LIST_DIR}/DebianChangelog.cmake)

set(dilato_programs dilato-run dilato-results dilato-sim)
# The operator's window is installed as soon as it is part of the build.
if(TARGET dilato)
  list(PREPEND dilato_programs dilato)
endif()
foreach(program IN LISTS dilato_programs)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${dilato_install_folder})
    install(CODE "
      file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
      file(CREATE_LINK ../${dilato_install_folder}/${program}
           \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/${program}\" SYMBOLIC)
      message(STATUS \"Link: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/${program}\")")
  endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/ManualPages.cmake)

install(DIRECTORY ${DILATO_PROGRAM_FOLDER}/Fonts ${DILATO_PROGRAM_FOLDER}/Sounds
                  ${DILATO_PROGRAM_FOLDER}/Help ${DILATO_PROGRAM_FOLDER}/SystemSeed
        DESTINATION ${dilato_install_folder})

configure_file(${dilato_packaging}/${DILATO_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/packaging/${DILATO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${dilato_packaging}/${DILATO_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${dilato_packaging}/${DILATO_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${DILATO_APP_ID}.metainfo.xml DESTINATION share/metainfo)
configure_file(${dilato_packaging}/copyright.in ${PROJECT_BINARY_DIR}/packaging/copyright @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
              ${dilato_packaging}/README.Debian
        DESTINATION share/doc/dilato)
# lintian's tags that cannot be mended, each with its reason (none today).
if(EXISTS ${dilato_packaging}/lintian-overrides)
  install(FILES ${dilato_packaging}/lintian-overrides DESTINATION share/lintian/overrides
          RENAME dilato)
endif()

# The group and the common folder, for "cmake --install" run by root into this machine.
install(CODE "
  set(staging FALSE)
  if(NOT \"\$ENV{DESTDIR}\" STREQUAL \"\" OR NOT \"\${CMAKE_INSTALL_PREFIX}\" STREQUAL \"${CMAKE_INSTALL_PREFIX}\")
    set(staging TRUE)
  endif()
  execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(staging)
    # a package being assembled: its postinst does this on the machine it is installed on
  elseif(NOT uid STREQUAL \"0\")
    message(STATUS \"Not root: group dilato and /var/lib/dilato not made (run the install as root, or see the README)\")
  else()
    execute_process(COMMAND sh ${dilato_packaging}/postinst configure RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR \"Making group dilato and /var/lib/dilato failed\")
    endif()
    message(STATUS \"Group dilato and /var/lib/dilato (2775) are in place\")
  endif()")

# The Debian package: cpack -G DEB (scripts/package).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dilato)
set(CPACK_PACKAGE_VENDOR Norvane)
set(CPACK_PACKAGE_CONTACT "${DILATO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${DILATO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${DILATO_HOMEPAGE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program of the bench thermal expansion (CTE) tester")
# One line each, as the control file shows them (CPack puts the one blank in front).
set(CPACK_PACKAGE_DESCRIPTION
    "Dilato drives a bench tester that measures the linear coefficient of thermal
expansion of a solid sample. It steps the temperature stage through a plan of
set points, waits for thermal and dimensional stability, computes the CTE with
its expanded uncertainty, stores every reading and writes a one-page PDF
report. It calibrates the stage against a reference thermocouple calibrator
and can run on simulated instruments.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the libraries, what the package runs (tests/install/check-depends.sh holds the code
# to it): groupadd for the postinst; the window's font; pkexec and the polkit daemon that
# asks the administrator when an update is handed over, and apt-get that installs it;
# xdg-open, through which the window opens data files, folders and reports; one of the
# players of the event sounds. The results store opens its SQLite file and a lab's
# PostgreSQL server through Qt SQL's driver plugins, which no library links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "passwd, fonts-crosextra-caladea, pkexec, polkitd, apt, xdg-utils, alsa-utils | pulseaudio-utils | pipewire-bin, libqt6sql6-sqlite, libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pdf-viewer")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${dilato_packaging}/postinst ${dilato_packaging}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_STRIP_FILES TRUE)
include(${CMAKE_CURRENT_LIST_DIR}/InstallUpdateHelper.cmake)
include(CPack)

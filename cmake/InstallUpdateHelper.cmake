# Installation of the update hand-over: the root helper beside the program, its polkit action
# (so that pkexec names what the administrator allows), and the administrator's settings file
# with the update server, kept by the package manager as a configuration file across upgrades.
# Included by Install.cmake before CPack.

if(TARGET dilato-update-helper)
  install(TARGETS dilato-update-helper RUNTIME DESTINATION ${dilato_install_folder}
          PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                      WORLD_READ WORLD_EXECUTE)
endif()

configure_file(${dilato_packaging}/${DILATO_APP_ID}.update.policy.in
               ${PROJECT_BINARY_DIR}/packaging/${DILATO_APP_ID}.update.policy @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${DILATO_APP_ID}.update.policy
        DESTINATION share/polkit-1/actions)

install(FILES ${dilato_packaging}/dilato.conf DESTINATION /etc/dilato
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(WRITE ${PROJECT_BINARY_DIR}/packaging/conffiles "/etc/dilato/dilato.conf\n")
list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/packaging/conffiles)

# Run by CPack on its staging folder before packing: the installation puts the start-up entry
# in <prefix>/etc, which for the package's /usr prefix is /usr/etc; Debian keeps it in /etc.
file(GLOB staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/etc/*")
if(staged)
  file(MAKE_DIRECTORY "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/etc")
  foreach(entry IN LISTS staged)
    get_filename_component(name "${entry}" NAME)
    file(RENAME "${entry}" "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/etc/${name}")
  endforeach()
  file(REMOVE_RECURSE "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/etc")
endif()

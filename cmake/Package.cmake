# The Debian package, made by CPack: `cmake --build build --target package` (or `make deb`)
# writes vrax_VERSION_ARCH.deb into the build folder. Installed under /usr: the tool, the
# placeholder bundle, the manual page, the shell completions and the copyright file.
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
  COMMAND gzip -9 -n -c ${CMAKE_BINARY_DIR}/debian/changelog > ${CMAKE_BINARY_DIR}/debian/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog
  COMMENT "Compressing the changelog")
add_custom_target(changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
  DESTINATION ${VRAX_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "vrax developers <vrax@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Installing a component writes install_manifest_Unspecified.txt: the install_manifest.txt
# of the user's own `cmake --install`, which the uninstall step reads, stays as it is.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info")
# The summary is the first line of the control file's description; CPack indents these.
set(CPACK_PACKAGE_DESCRIPTION "vrax prints and changes which application opens a kind of link (http, mailto)
or a type of file (text/plain, application/pdf). It reads the installed desktop
entries, the mimeapps.list files and the shared MIME-info database, and edits
the user's mimeapps.list losslessly and atomically, so that GIO, xdg-open and
every program that follows the freedesktop.org standards use the new default.

It ships Quietling, a placeholder application that records what it was asked
to open and does nothing else, for setting no application as the default.")
include(CPack)

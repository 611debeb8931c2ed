# `cmake --build build --target uninstall` removes every file the last install wrote, as
# listed in install_manifest.txt.

configure_file(${CMAKE_CURRENT_LIST_DIR}/uninstall.cmake.in
  ${CMAKE_BINARY_DIR}/cmake_uninstall.cmake @ONLY)
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -P ${CMAKE_BINARY_DIR}/cmake_uninstall.cmake
  COMMENT "Removing the files listed in install_manifest.txt")

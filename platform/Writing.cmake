# Sources of the platform layer that edit mimeapps.list, parse and quote Exec keys and
# install and start application bundles. Included by platform/CMakeLists.txt.
target_sources(platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MimeAppsList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MimeAppsWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopExec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BundleInstaller.cpp)

# Tests of the platform layer's writing side: mimeapps.list editing, Exec keys, bundle
# installation. Included by tests/platform/CMakeLists.txt.
add_executable(platform_writing_tests
  ${CMAKE_CURRENT_LIST_DIR}/MimeAppsListTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopExecTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MimeAppsWriterTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BundleInstallerTest.cpp)
target_link_libraries(platform_writing_tests PRIVATE platform test_support GTest::gtest_main)
target_include_directories(platform_writing_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(platform_writing_tests DISCOVERY_TIMEOUT 30)

# Tests of the platform layer's writing side: mimeapps.list editing, Exec keys, bundle
# installation. Included by tests/platform/CMakeLists.txt.
set(_writing_tests
  ${CMAKE_CURRENT_LIST_DIR}/MimeAppsListTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopExecTest.cpp)
foreach(_name MimeAppsWriterTest BundleInstallerTest)
  if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/${_name}.cpp)
    list(APPEND _writing_tests ${CMAKE_CURRENT_LIST_DIR}/${_name}.cpp)
  endif()
endforeach()
add_executable(platform_writing_tests ${_writing_tests})
target_link_libraries(platform_writing_tests PRIVATE platform test_support GTest::gtest_main)
target_include_directories(platform_writing_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(platform_writing_tests DISCOVERY_TIMEOUT 30)

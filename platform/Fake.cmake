# The test double of the platform, for the tests of the code above it.
add_library(platform_fake STATIC ${CMAKE_CURRENT_LIST_DIR}/FakePlatform.cpp)
target_link_libraries(platform_fake PUBLIC platform)

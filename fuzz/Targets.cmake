# The fuzz targets of the platform layer and their sources, shared by the libFuzzer
# build (fuzz/CMakeLists.txt) and the replay of kept inputs (tests/fuzz).
set(VRAX_PLATFORM_FUZZ_TARGETS exec url mime_database)
set(VRAX_FUZZ_SOURCES_exec ${CMAKE_CURRENT_LIST_DIR}/FuzzExec.cpp)
set(VRAX_FUZZ_SOURCES_url ${CMAKE_CURRENT_LIST_DIR}/FuzzURL.cpp)
set(VRAX_FUZZ_SOURCES_mime_database ${CMAKE_CURRENT_LIST_DIR}/FuzzMimeDatabase.cpp)

# The fuzz targets of the platform layer and their sources, shared by the libFuzzer
# build (fuzz/CMakeLists.txt) and the replay of kept inputs (tests/fuzz).
set(VRAX_PLATFORM_FUZZ_TARGETS exec url mime_database desktop_entry mimeapps_list mimeinfo_cache)
set(VRAX_FUZZ_SOURCES_exec ${CMAKE_CURRENT_LIST_DIR}/FuzzExec.cpp)
set(VRAX_FUZZ_SOURCES_url ${CMAKE_CURRENT_LIST_DIR}/FuzzURL.cpp)
set(VRAX_FUZZ_SOURCES_mime_database ${CMAKE_CURRENT_LIST_DIR}/FuzzMimeDatabase.cpp)
set(VRAX_FUZZ_SOURCES_desktop_entry ${CMAKE_CURRENT_LIST_DIR}/FuzzDesktopEntry.cpp)
set(VRAX_FUZZ_SOURCES_mimeapps_list ${CMAKE_CURRENT_LIST_DIR}/FuzzMimeAppsList.cpp)
set(VRAX_FUZZ_SOURCES_mimeinfo_cache ${CMAKE_CURRENT_LIST_DIR}/FuzzMimeinfoCache.cpp)

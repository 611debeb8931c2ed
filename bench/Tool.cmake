# The tool's benchmark (bench/tool.sh) times the vrax program against gio, xdg-mime and
# the GIO reference programs; this one does the scheme listing of getSchemes.
add_executable(tool_reference ${CMAKE_CURRENT_LIST_DIR}/ToolReference.cpp)
target_link_libraries(tool_reference PRIVATE PkgConfig::GIO_UNIX)

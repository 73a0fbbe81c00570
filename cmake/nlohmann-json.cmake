# nlohmann/json, what the station reads and writes JSON with (the unit log, the events, the line
# profile): headers only, from Debian's nlohmann-json3-dev. As with CLI11, the Windows cross build sees
# its folder alone, through a link in the build tree, never the build machine's /usr/include.
find_path(QUILLON_NLOHMANN_JSON_DIR nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/nlohmann-json)
file(CREATE_LINK ${QUILLON_NLOHMANN_JSON_DIR}/nlohmann ${CMAKE_BINARY_DIR}/nlohmann-json/nlohmann SYMBOLIC)
add_library(quillon_nlohmann_json INTERFACE)
target_include_directories(quillon_nlohmann_json SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/nlohmann-json)

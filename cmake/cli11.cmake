# CLI11, the programs' command-line parser: headers only, from Debian's libcli11-dev. The Windows cross
# build must not search the build machine's /usr/include (its C library would shadow MinGW's), so every
# build sees CLI11's own folder alone, through a link in the build tree.
find_path(QUILLON_CLI11_DIR CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/cli11)
file(CREATE_LINK ${QUILLON_CLI11_DIR}/CLI ${CMAKE_BINARY_DIR}/cli11/CLI SYMBOLIC)
add_library(quillon_cli11 INTERFACE)
target_include_directories(quillon_cli11 SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/cli11)

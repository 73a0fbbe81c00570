# Cross-building the station for 32-bit Windows with Debian's MinGW-w64: the station the operators get by
# default, as it runs on every Windows and loads their 32-bit USB library. The -posix compilers carry
# std::thread; the programs are linked statically, so each .exe runs with nothing beside it. Tests run
# under Wine (its 32-bit half, wine32).
set(QUILLON_MINGW_TARGET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# Cross-building the station for 64-bit Windows with Debian's MinGW-w64: the station for a 64-bit USB
# library (the operators' default is the 32-bit one, mingw-w64-i686.cmake). The -posix compilers carry
# std::thread; the programs are linked statically, so each .exe runs with nothing beside it. Tests run
# under Wine.
set(QUILLON_MINGW_TARGET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# What both Windows toolchains share; mingw-w64-i686.cmake and mingw-w64-x86_64.cmake name the target
# (QUILLON_MINGW_TARGET, e.g. i686-w64-mingw32) and the processor.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${QUILLON_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLON_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLON_MINGW_TARGET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLON_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthreads inside the .exe: no DLL to ship with it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Cross-compiles for 64-bit Windows with Debian's mingw-w64 compilers (posix thread model).
# SDL 1.2 built for Windows is found under $SDLDIR by CMake's FindSDL, which adds SDL's
# start-up library.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PLASMA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PLASMA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLASMA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${PLASMA_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PLASMA_MINGW} $ENV{SDLDIR})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The build machine's pkg-config describes its own libraries, not Windows'.
set(CMAKE_DISABLE_FIND_PACKAGE_PkgConfig ON)
# The C++ runtime, libgcc and winpthread go into the exe: beside Windows' own DLLs it
# needs SDL.dll alone, which is linked through its import library and so stays a DLL.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

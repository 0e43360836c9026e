# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (the posix thread
# model, for std::thread and friends). Programs are linked statically, so
# they run under wine or on Windows without the compiler's DLLs beside them;
# tests run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QM_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QM_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QM_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QM_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QM_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
find_program(QM_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(QM_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QM_WINE})
endif()

# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (GCC 12, posix
# threads: std::thread and std::mutex need them). Used by the "windows" preset.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRENVIK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRENVIK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRENVIK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${BRENVIK_MINGW_TRIPLET}-windres)

# Headers and libraries of the target only; programs (code generators) of the host.
set(CMAKE_FIND_ROOT_PATH /usr/${BRENVIK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's runtime goes into each program (winpthread as well), so an
# .exe runs from any folder without DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

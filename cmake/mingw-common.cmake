# Shared part of the two MinGW-w64 toolchain files. The executables link the C and C++
# runtimes statically, so they import nothing beyond the DLLs of Windows itself, and they run
# under Wine as the cross-compiling emulator so that CTest runs them like native tests.
# The "win32" thread model: the program has one thread, and the "posix" model's thread
# library would bring imports that older Windows lacks (GetTickCount64 among them).
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The test DLLs (the WinG stand-in, the DLL-search probe) likewise: an i686 DLL linked the
# default way imports libgcc_s_dw2-1.dll, which no Windows has, and then does not load.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)

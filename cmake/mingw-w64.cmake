# mingw-w64.cmake - what both Windows toolchain files share: compilers and
# tools of the triple in KIT_MINGW_TRIPLE, the target's own root for
# libraries and headers, and a runtime linked statically so that every
# program starts without libgcc_s, libstdc++ or libwinpthread beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${KIT_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${KIT_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${KIT_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KIT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Release binaries carry no symbols: the installer must stay small.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
# Resource scripts are Windows-1252, as the resources they name.
set(CMAKE_RC_FLAGS_INIT "-c 1252")

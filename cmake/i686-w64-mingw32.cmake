# i686-w64-mingw32.cmake - the toolchain of the kit's Windows deliverables:
# 32-bit programs and DLL built with mingw-w64 (Debian: g++-mingw-w64-i686).
#   cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KIT_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

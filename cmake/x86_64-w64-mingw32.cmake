# x86_64-w64-mingw32.cmake - the same tree as 64-bit Windows programs, for
# hosts whose Wine runs no 32-bit code (a kernel without 32-bit emulation):
# the Wine tests then run this build (Debian: g++-mingw-w64-x86-64, wine64).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KIT_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

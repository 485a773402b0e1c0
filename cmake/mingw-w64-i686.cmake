# Cross build for Windows i686 with mingw-w64 (built, not run: these machines cannot run 32-bit code).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORVEL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

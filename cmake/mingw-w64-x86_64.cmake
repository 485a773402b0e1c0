# Cross build for Windows x86_64 with mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORVEL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# Test programs run under Wine.
get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh"
                       ABSOLUTE)

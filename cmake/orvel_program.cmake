# The window program: orvel.exe on Windows (the entry app/main_win32.cpp, the application library
# and the resource script of res/), natively orvel over the Qt driver (app/main_qt.cpp; the
# pictures are built into the driver). Skipped without a toolkit driver. Its resource and
# end-to-end checks are in orvel_e2e.cmake.
include_guard(GLOBAL)

if(WIN32)
    set(ORVEL_ENTRY "${PROJECT_SOURCE_DIR}/app/main_win32.cpp")
    set(ORVEL_RESOURCES "${PROJECT_SOURCE_DIR}/res/orvel.rc")
elseif(ORVEL_QT_DRIVER)
    set(ORVEL_ENTRY "${PROJECT_SOURCE_DIR}/app/main_qt.cpp")
    set(ORVEL_RESOURCES "")
else()
    return()
endif()
# Notice the files when they appear later.
file(GLOB orvel_program_watch CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/app/*.cpp"
    "${PROJECT_SOURCE_DIR}/res/*.rc")
if(EXISTS "${ORVEL_ENTRY}")
    set(srcs "${ORVEL_ENTRY}")
    if(ORVEL_RESOURCES AND EXISTS "${ORVEL_RESOURCES}")
        list(APPEND srcs "${ORVEL_RESOURCES}")
    endif()
    # A GUI program: no console window of its own.
    add_executable(orvel WIN32 ${srcs})
    target_link_libraries(orvel PRIVATE orvel_platform orvel_app orvel_phone orvel_toolkit
        orvel_link orvel_core)
    target_include_directories(orvel PRIVATE "${PROJECT_SOURCE_DIR}/res")
endif()

include("${CMAKE_CURRENT_LIST_DIR}/orvel_e2e.cmake")

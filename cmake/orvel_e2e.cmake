# Checks of the window program as a whole:
# - resources_tests (Windows builds): the resources of res/orvel.rc, compiled into a test program
#   as into orvel.exe;
# - orvel-linetap: a native Linux program that sits on the serial line between the program and
#   the phone simulator and records the traffic (built with the host's compiler in a Windows
#   build);
# - the end-to-end tests tests/e2e/*_test.sh (label "e2e"): the window program on a virtual
#   display, driven by mouse and keyboard against the simulator. A Windows build runs orvel.exe
#   under Wine, one test at a time (they share a Wine prefix); a native build runs the Qt program
#   orvel (not under the sanitizers), each test on a display and with settings of its own.
include_guard(GLOBAL)

set(ORVEL_E2E_WORK "${CMAKE_BINARY_DIR}/e2e")
set(e2e_lock "")
set(e2e_dragsource "ORVEL_DRAGSOURCE=")
if(WIN32)
    set(ORVEL_LINETAP "${ORVEL_E2E_WORK}/orvel-linetap")
    find_program(ORVEL_HOST_CXX NAMES c++ g++ DOC "Native C++ compiler for the line tap")
    if(ORVEL_HOST_CXX)
        add_custom_command(OUTPUT "${ORVEL_LINETAP}"
            COMMAND "${CMAKE_COMMAND}" -E make_directory "${ORVEL_E2E_WORK}"
            COMMAND "${ORVEL_HOST_CXX}" -std=c++20 -O1 -Wall -Wextra -o "${ORVEL_LINETAP}"
                "${PROJECT_SOURCE_DIR}/tests/e2e/line_tap.cpp"
            DEPENDS "${PROJECT_SOURCE_DIR}/tests/e2e/line_tap.cpp"
            COMMENT "Building the native line tap orvel-linetap"
            VERBATIM)
        add_custom_target(orvel_linetap ALL DEPENDS "${ORVEL_LINETAP}")
    endif()
    if(NOT BUILD_TESTING)
        return()
    endif()
    add_executable(resources_tests "${PROJECT_SOURCE_DIR}/tests/res/resources_test_win32.cpp"
        "${PROJECT_SOURCE_DIR}/res/orvel.rc")
    target_include_directories(resources_tests PRIVATE "${PROJECT_SOURCE_DIR}/res")
    target_link_libraries(resources_tests PRIVATE GTest::gtest_main orvel_platform gdiplus gdi32
        user32 version)
    gtest_discover_tests(resources_tests
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 120
        PROPERTIES TIMEOUT 120 LABELS res)
    if(NOT TARGET orvel OR NOT TARGET orvel_linetap)
        return()
    endif()
    set(e2e_phonesim "${ORVEL_PHONESIM}")
    set(e2e_lock RESOURCE_LOCK orvel_e2e_prefix)
else()
    if(NOT BUILD_TESTING OR ORVEL_SANITIZE OR NOT TARGET orvel OR NOT TARGET orvel-phonesim)
        return()
    endif()
    add_executable(orvel_linetap "${PROJECT_SOURCE_DIR}/tests/e2e/line_tap.cpp")
    set_target_properties(orvel_linetap PROPERTIES OUTPUT_NAME orvel-linetap
        RUNTIME_OUTPUT_DIRECTORY "${ORVEL_E2E_WORK}")
    set(ORVEL_LINETAP "$<TARGET_FILE:orvel_linetap>")
    set(e2e_phonesim "$<TARGET_FILE:orvel-phonesim>")
    # A file manager's part: drags PC files into the window from another program.
    add_executable(orvel_dragsource "${PROJECT_SOURCE_DIR}/tests/e2e/drag_source_qt.cpp")
    target_link_libraries(orvel_dragsource PRIVATE Qt6::Widgets)
    set_target_properties(orvel_dragsource PROPERTIES OUTPUT_NAME orvel-dragsource
        RUNTIME_OUTPUT_DIRECTORY "${ORVEL_E2E_WORK}")
    set(e2e_dragsource "ORVEL_DRAGSOURCE=$<TARGET_FILE:orvel_dragsource>")
endif()

# Under Wine only the flows that lean on the Win32 side: serial errors and port discovery through
# the registry (devices_states), the shell's picker, menus and cancel (outcomes), key translation
# and the message box (keyboard). The others exercise the views and the link, which the native
# run covers with the same scripts; ORVEL_E2E_WINE_ALL registers them under Wine too.
option(ORVEL_E2E_WINE_ALL "Windows builds: register every end-to-end flow, not only the Win32 ones" OFF)
set(ORVEL_E2E_WINE_FLOWS devices_states outcomes keyboard)

file(GLOB e2e_scripts CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/tests/e2e/*_test.sh")
foreach(script IN LISTS e2e_scripts)
    get_filename_component(name "${script}" NAME_WE)
    string(REGEX REPLACE "_test$" "" name "${name}")
    if(WIN32 AND NOT ORVEL_E2E_WINE_ALL AND NOT name IN_LIST ORVEL_E2E_WINE_FLOWS)
        continue()
    endif()
    add_test(NAME e2e_${name} COMMAND bash "${script}")
    set_tests_properties(e2e_${name} PROPERTIES
        LABELS e2e
        TIMEOUT 300
        SKIP_RETURN_CODE 77
        ${e2e_lock}
        ENVIRONMENT "ORVEL_VERSION=${PROJECT_VERSION};ORVEL_PROGRAM=$<TARGET_FILE:orvel>;ORVEL_PHONESIM=${e2e_phonesim};ORVEL_LINETAP=${ORVEL_LINETAP};ORVEL_E2E_WORK=${ORVEL_E2E_WORK};${e2e_dragsource}")
endforeach()

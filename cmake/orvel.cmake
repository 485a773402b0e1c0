# Helpers that turn the source folders into targets.
#
# A library folder compiles every *.cpp it holds, except *_win32.cpp on other platforms and
# *_posix.cpp on Windows; *_qt.cpp (the toolkit's Qt driver and what builds on it) only where
# ORVEL_QT_DRIVER is on: natively, when Qt 6 Widgets was found. Sources are globbed with
# CONFIGURE_DEPENDS, so a new file joins its target at the next build without touching any
# CMakeLists.txt. A folder without sources yet becomes an INTERFACE library, so its dependents
# still configure and link.
include_guard(GLOBAL)

# Settings every Orvel target shares: includes from the repository root, threads, Win32 libraries.
add_library(orvel_platform INTERFACE)
target_include_directories(orvel_platform INTERFACE "${PROJECT_SOURCE_DIR}")
if(WIN32)
    target_compile_definitions(orvel_platform INTERFACE UNICODE _UNICODE NOMINMAX)
    target_link_libraries(orvel_platform INTERFACE ws2_32 ole32 uuid advapi32)
else()
    target_link_libraries(orvel_platform INTERFACE Threads::Threads)
endif()

# orvel_version.h, from project(VERSION) (see orvel_version.h.in): the version as written and the
# four numbers of the Windows version record, each without leading zeros ("07" is 7).
set(ORVEL_VERSION_NUMBERS)
foreach(part IN ITEMS MAJOR MINOR PATCH TWEAK)
    set(number "${PROJECT_VERSION_${part}}")
    string(REGEX REPLACE "^0+([0-9])" "\\1" number "${number}")
    if(number STREQUAL "")
        set(number 0)
    endif()
    list(APPEND ORVEL_VERSION_NUMBERS "${number}")
endforeach()
list(JOIN ORVEL_VERSION_NUMBERS ", " ORVEL_VERSION_NUMBERS)
configure_file("${CMAKE_CURRENT_LIST_DIR}/orvel_version.h.in"
    "${PROJECT_BINARY_DIR}/generated/orvel_version.h" @ONLY)
target_include_directories(orvel_platform INTERFACE "${PROJECT_BINARY_DIR}/generated")

# Every Orvel library created so far (tests and benchmarks link all of them).
set_property(GLOBAL PROPERTY ORVEL_LIBRARIES "")

# orvel_sources(<out-var> <folder> [EXCLUDE <file names>...] [MATCH <regex>] [NOT_MATCH <regex>])
# Lists <folder>/*.cpp for this platform (and <folder>/*.rc for Windows); MATCH keeps only the
# file names that match, NOT_MATCH drops those that match.
function(orvel_sources out dir)
    cmake_parse_arguments(ARG "" "MATCH;NOT_MATCH" "EXCLUDE" ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${dir}/*.cpp")
    if(WIN32)
        file(GLOB resources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${dir}/*.rc")
        list(APPEND found ${resources})
        list(FILTER found EXCLUDE REGEX "_posix\\.cpp$")
    else()
        list(FILTER found EXCLUDE REGEX "_win32\\.cpp$")
    endif()
    if(WIN32 OR NOT ORVEL_QT_DRIVER)
        list(FILTER found EXCLUDE REGEX "_qt\\.cpp$")
    endif()
    if(ARG_MATCH)
        list(FILTER found INCLUDE REGEX "/${ARG_MATCH}$")
    endif()
    if(ARG_NOT_MATCH)
        list(FILTER found EXCLUDE REGEX "/${ARG_NOT_MATCH}$")
    endif()
    foreach(name IN LISTS ARG_EXCLUDE)
        string(REPLACE "." "\\." name "${name}")
        list(FILTER found EXCLUDE REGEX "/${name}$")
    endforeach()
    list(SORT found)
    set(${out} ${found} PARENT_SCOPE)
endfunction()

# orvel_library(<target> <folder> [DEPS <targets>...] [LIBS <system libs>...] [EXCLUDE <files>...]
#               [MATCH <regex>] [NOT_MATCH <regex>])
# A static library of the folder's sources, or an INTERFACE library while it has none.
function(orvel_library name dir)
    cmake_parse_arguments(ARG "" "MATCH;NOT_MATCH" "DEPS;LIBS;EXCLUDE" ${ARGN})
    orvel_sources(srcs "${dir}" EXCLUDE ${ARG_EXCLUDE} MATCH "${ARG_MATCH}" NOT_MATCH "${ARG_NOT_MATCH}")
    if(srcs)
        add_library(${name} STATIC ${srcs})
        target_link_libraries(${name} PUBLIC orvel_platform ${ARG_DEPS} ${ARG_LIBS})
    else()
        add_library(${name} INTERFACE)
        target_link_libraries(${name} INTERFACE orvel_platform ${ARG_DEPS} ${ARG_LIBS})
    endif()
    set_property(GLOBAL APPEND PROPERTY ORVEL_LIBRARIES ${name})
endfunction()

# orvel_executable(<target> <folder> [DEPS <targets>...] [ONLY <files>...] [EXCLUDE <files>...])
# An executable of the folder's sources (or of the ONLY files); skipped while there are none.
function(orvel_executable name dir)
    cmake_parse_arguments(ARG "" "" "DEPS;ONLY;EXCLUDE" ${ARGN})
    if(ARG_ONLY)
        set(srcs)
        foreach(file IN LISTS ARG_ONLY)
            if(EXISTS "${PROJECT_SOURCE_DIR}/${dir}/${file}")
                list(APPEND srcs "${PROJECT_SOURCE_DIR}/${dir}/${file}")
            endif()
        endforeach()
        # Notice the file when it appears later.
        file(GLOB watch CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${dir}/*.cpp")
    else()
        orvel_sources(srcs "${dir}" EXCLUDE ${ARG_EXCLUDE})
    endif()
    if(NOT srcs)
        return()
    endif()
    add_executable(${name} ${srcs})
    target_link_libraries(${name} PRIVATE orvel_platform ${ARG_DEPS})
endfunction()

# The libraries that exist, for test and benchmark programs.
function(orvel_all_libraries out)
    get_property(libs GLOBAL PROPERTY ORVEL_LIBRARIES)
    set(${out} ${libs} PARENT_SCOPE)
endfunction()

# orvel_test_module(<module> [MATCH <regex>])
# One GoogleTest program <module>_tests from tests/<module>/*.cpp (MATCH keeps only the file names
# that match), each test registered with CTest.
function(orvel_test_module module)
    cmake_parse_arguments(ARG "" "MATCH" "" ${ARGN})
    orvel_sources(srcs "tests/${module}" MATCH "${ARG_MATCH}")
    if(NOT srcs)
        return()
    endif()
    set(name ${module}_tests)
    add_executable(${name} ${srcs})
    orvel_all_libraries(libs)
    target_link_libraries(${name} PRIVATE GTest::gtest_main orvel_test_support ${libs})
    target_compile_definitions(${name} PRIVATE
        ORVEL_SOURCE_DIR="${ORVEL_HOST_PATH_PREFIX}${PROJECT_SOURCE_DIR}"
        ORVEL_TEST_DATA="${ORVEL_HOST_PATH_PREFIX}${PROJECT_SOURCE_DIR}/tests/data")
    if(TARGET orvelctl)
        # Black-box tests start the command-line tool.
        target_compile_definitions(${name} PRIVATE
            ORVEL_ORVELCTL="${ORVEL_HOST_PATH_PREFIX}$<TARGET_FILE:orvelctl>")
        add_dependencies(${name} orvelctl)
    endif()
    if(TARGET orvel-phonesim)
        add_dependencies(${name} orvel-phonesim)
    endif()
    set(props TIMEOUT 120 LABELS ${module})
    if(module IN_LIST ORVEL_SERIAL_TEST_MODULES)
        # These tests drive shared desktop state (focus and activation, the pointer, menus, the
        # folder picker's view of the file system) that tests running at the same time disturb.
        list(APPEND props RUN_SERIAL TRUE)
    endif()
    if(ORVEL_PHONESIM_PATH)
        list(APPEND props ENVIRONMENT "ORVEL_PHONESIM=${ORVEL_PHONESIM_PATH}")
    endif()
    if(CMAKE_CROSSCOMPILING_EMULATOR)
        # Under Wine every process start costs about half a second: one CTest test per suite.
        orvel_test_suites(suites ${srcs})
        list(TRANSFORM props REPLACE "^120$" "600")
        foreach(suite IN LISTS suites)
            add_test(NAME "${module}:${suite}" COMMAND ${name} "--gtest_filter=${suite}.*:*/${suite}.*")
            set_tests_properties("${module}:${suite}" PROPERTIES ${props})
        endforeach()
    else()
        gtest_discover_tests(${name}
            DISCOVERY_MODE PRE_TEST
            DISCOVERY_TIMEOUT 120
            PROPERTIES ${props})
    endif()
endfunction()

# orvel_test_suites(<out-var> <sources>...): the GoogleTest suite names that the sources and the
# headers beside them define (TEST, TEST_F, TEST_P and the typed forms), each once. Editing one of
# the files configures again, so a new suite is registered.
function(orvel_test_suites out)
    set(files ${ARGN})
    foreach(src IN LISTS ARGN)
        get_filename_component(dir "${src}" DIRECTORY)
        file(GLOB headers "${dir}/*.h")
        list(APPEND files ${headers})
    endforeach()
    list(REMOVE_DUPLICATES files)
    set(suites)
    foreach(file IN LISTS files)
        set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
        file(STRINGS "${file}" lines REGEX "^[ \t]*(TYPED_)?TEST(_F|_P)?\\([ \t]*[A-Za-z0-9_]+")
        foreach(line IN LISTS lines)
            string(REGEX MATCH "\\([ \t]*([A-Za-z0-9_]+)" unused "${line}")
            list(APPEND suites "${CMAKE_MATCH_1}")
        endforeach()
    endforeach()
    list(REMOVE_DUPLICATES suites)
    set(${out} ${suites} PARENT_SCOPE)
endfunction()

# orvel_benchmarks(): one program per bench/*.cpp, not a test. transfer_bench.cpp (or
# transfer.cpp) becomes bench_transfer; a platform suffix is dropped (listview_bench_win32.cpp
# becomes bench_listview, listview_paint_qt.cpp bench_listview_paint).
function(orvel_benchmarks)
    orvel_sources(srcs bench)
    orvel_all_libraries(libs)
    foreach(src IN LISTS srcs)
        get_filename_component(stem "${src}" NAME_WE)
        string(REGEX REPLACE "_(win32|posix|qt)$" "" stem "${stem}")
        string(REGEX REPLACE "^bench_|_bench$" "" stem "${stem}")
        set(name bench_${stem})
        add_executable(${name} "${src}")
        target_link_libraries(${name} PRIVATE orvel_platform ${libs})
    endforeach()
endfunction()

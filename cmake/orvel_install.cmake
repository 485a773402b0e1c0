# What `cmake --install` puts in place on Linux (under CMAKE_INSTALL_PREFIX, /usr/local unless
# told otherwise): orvelctl and orvel-phonesim, a manual page for each, the bash completion of
# orvelctl and the licence; with the Qt driver also the window program orvel, its desktop entry
# and its icon. The Windows programs go into the zips of scripts/package.sh instead.
include_guard(GLOBAL)

if(WIN32)
    return()
endif()
include(GNUInstallDirs)

install(TARGETS orvelctl orvel-phonesim RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
# The manual pages carry the version.
foreach(page IN ITEMS orvelctl.1 orvel-phonesim.1)
    configure_file("${PROJECT_SOURCE_DIR}/packaging/${page}.in" "${PROJECT_BINARY_DIR}/generated/${page}"
        @ONLY)
    install(FILES "${PROJECT_BINARY_DIR}/generated/${page}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
endforeach()
install(FILES "${PROJECT_SOURCE_DIR}/packaging/orvelctl.bash-completion"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions" RENAME orvelctl)
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/orvel")

if(TARGET orvel)
    install(TARGETS orvel RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
    install(FILES "${PROJECT_SOURCE_DIR}/packaging/orvel.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
    install(FILES "${PROJECT_SOURCE_DIR}/res/orvel.png"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps")
endif()

# Installation and the Debian package.
#
#   cmake --install build --prefix /usr     the programs, the data tree and the
#                                           desktop integration
#   cpack --config build/CPackConfig.cmake -G DEB    (or scripts/package)
#
# Installed, the programs live in <prefix>/bin and the shipped data tree in
# <prefix>/share/corvane/"Config File"/; the program folder is found there
# (GetProgramFolder), and since it cannot be written, each user's Config.ini
# is kept under the XDG configuration home (config_location.h).
include(GNUInstallDirs)

set(CORVANE_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/corvane)
set(CORVANE_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)

install(DIRECTORY "${CMAKE_SOURCE_DIR}/Config File"
        DESTINATION ${CORVANE_DATA_DESTINATION}
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
        DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                              WORLD_READ WORLD_EXECUTE)

foreach(program corvane corvane-cli corvane-devsim)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()

# Manual pages, compressed as Debian ships them (gzip -n: no time stamp, so
# the package is reproducible).
find_program(CORVANE_GZIP gzip REQUIRED)
set(CORVANE_MAN_PAGES corvane-cli.1 corvane-devsim.1)
if(TARGET corvane)
    list(APPEND CORVANE_MAN_PAGES corvane.1)
endif()
set(CORVANE_MAN_OUT "")
foreach(page ${CORVANE_MAN_PAGES})
    set(out ${CMAKE_BINARY_DIR}/packaging/${page}.gz)
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
        COMMAND ${CORVANE_GZIP} -9nc ${CORVANE_PACKAGING_DIR}/man/${page} > ${out}
        DEPENDS ${CORVANE_PACKAGING_DIR}/man/${page}
        VERBATIM)
    list(APPEND CORVANE_MAN_OUT ${out})
endforeach()
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND ${CORVANE_GZIP} -9nc ${CORVANE_PACKAGING_DIR}/changelog > ${changelog}
    DEPENDS ${CORVANE_PACKAGING_DIR}/changelog
    VERBATIM)
add_custom_target(corvane_packaging_files ALL DEPENDS ${CORVANE_MAN_OUT} ${changelog})
install(FILES ${CORVANE_MAN_OUT} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${changelog} ${CORVANE_PACKAGING_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corvane)
install(FILES ${CORVANE_PACKAGING_DIR}/corvane-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME corvane-cli)

# The desktop integration comes with the desktop program: the menu entry,
# the AppStream description and the logo in the hicolor theme's sizes, drawn
# by corvane-art like the skin pictures.
if(TARGET corvane)
    install(FILES ${CORVANE_PACKAGING_DIR}/org.corvane.Corvane.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${CORVANE_PACKAGING_DIR}/org.corvane.Corvane.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    set(CORVANE_ICON_OUT ${CMAKE_BINARY_DIR}/packaging/icons)
    add_custom_command(OUTPUT ${CORVANE_ICON_OUT}/256x256/apps/corvane.png
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:corvane-art> icons
                ${CORVANE_ICON_OUT}
        DEPENDS corvane-art
        COMMENT "Drawing the theme icons")
    add_custom_target(corvane_icons ALL DEPENDS ${CORVANE_ICON_OUT}/256x256/apps/corvane.png)
    install(DIRECTORY ${CORVANE_ICON_OUT}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
endif()

# The Debian package: one package with every program; its dependencies come
# from the shared libraries the programs link (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR "Corvane developers")
set(CPACK_PACKAGE_CONTACT "Corvane developers <corvane@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find and configure IP cameras and recorders on a LAN")
# The extended description; CPack puts the summary before it as the
# synopsis and indents every line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Corvane finds IP cameras and video recorders on the local network by a UDP
broadcast search, lists them, changes their network settings without a
login, and logs in to them to reboot, reset, change passwords and ports,
upgrade firmware and import or export configuration in batches. It shows
live video, a QR code of a device's cloud id, and estimates recording
capacity.
.
The package holds the desktop program corvane, the command line
corvane-cli for scripted batches, and the device simulator corvane-devsim.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)

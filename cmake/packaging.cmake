# Installation and the Debian package (cpack -G DEB in the build folder). Paths are relative
# to the prefix (/usr in the package): the program goes to lib/zep, and the launcher
# bin/zep-terminal runs it in the user's working folder with the UI documents, sounds and
# translations of share/zep linked beside it.
include(GNUInstallDirs)

set(ZEP_INSTALL_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/zep)
set(ZEP_INSTALL_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/zep)

install(TARGETS zep RUNTIME DESTINATION ${ZEP_INSTALL_PROGRAM_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/qml/ZEP DESTINATION ${ZEP_INSTALL_SHARE_DIR}/qml)
install(DIRECTORY ${ZEP_RUNTIME_DIR}/sounds DESTINATION ${ZEP_INSTALL_SHARE_DIR} OPTIONAL)

file(GLOB ZEP_TRANSLATION_SOURCES ${CMAKE_SOURCE_DIR}/qml/translations/*.ts)
foreach(ts IN LISTS ZEP_TRANSLATION_SOURCES)
    get_filename_component(name ${ts} NAME_WE)
    install(FILES ${ZEP_RUNTIME_DIR}/${name}.qm DESTINATION ${ZEP_INSTALL_SHARE_DIR})
endforeach()

configure_file(${CMAKE_SOURCE_DIR}/packaging/zep-terminal.sh.in
    ${CMAKE_BINARY_DIR}/packaging/zep-terminal @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/zep-terminal DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/zep.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/zep.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/zep-terminal.service DESTINATION lib/systemd/user)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zep)
set(CPACK_PACKAGE_VENDOR "ZEP")
set(CPACK_PACKAGE_CONTACT "ZEP maintainers <zep@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Virtual time-attendance terminal")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# Libraries come from the program's links; the QML modules and plugins it loads at run time
# are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt5sql5-sqlite, libqt5multimedia5-plugins, qml-module-qtquick2, qml-module-qtquick-window2, qml-module-qtquick-layouts, qml-module-qtquick-controls2, qml-module-qtmultimedia")
include(CPack)

# Installation and the Debian package: the three programs, the desktop entry and the icon.
#   cmake --build build --target package     (or scripts/package.sh, which also checks it)
include(GNUInstallDirs)
install(TARGETS verdanix verdanix-export nsftool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/verdanix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
if(NOT CMAKE_CROSSCOMPILING)
    install(DIRECTORY ${PROJECT_BINARY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME verdanix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Verdanix support <support@verdanix.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Browser and exporter for Domino (Notes) databases")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Browses Domino (Notes) databases and exports views to .xls workbooks with their attachments.\n"
    "Includes verdanix-export for exports from scripts and nsftool for store databases and DXL imports.")
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n) # Qt's own buttons and dialogs in Chinese
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)

# Where `cmake --install` puts Korvex (Debian's places) and the Debian package CPack
# builds from it: `cpack -G DEB` in the build folder gives korvex_<version>_<arch>.deb.
include(GNUInstallDirs)

set(KORVEX_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/korvex)
install(FILES ${PROJECT_SOURCE_DIR}/docs/korvex-sugo.html ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${KORVEX_DOC_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${KORVEX_DOC_DIR}/examples
        PATTERN "make-examples.sh" EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/shell/korvex.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/shell/icons/korvex.png
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/256x256/apps)
install(FILES ${PROJECT_SOURCE_DIR}/shell/icons/korvex-48.png RENAME korvex.png
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/48x48/apps)

set(CPACK_PACKAGE_NAME korvex)
set(CPACK_PACKAGE_VENDOR "Valmoro")
set(CPACK_PACKAGE_CONTACT "Valmoro <korvex@valmoro.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "Korvex exports the data sheets of open LibreOffice Calc workbooks into XML \
files and fills workbooks from XML data files, driven by control files. It has a Hungarian window \
(korvex) and a command line (korvex-cli).")
set(CPACK_PACKAGE_INSTALL_DIRECTORY korvex)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The libraries the programs link come from dpkg-shlibdeps; the office korvex-cli
# starts and the translation of Qt's own dialogs are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libreoffice-calc-nogui | libreoffice-calc")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_GENERATOR DEB)
include(CPack)

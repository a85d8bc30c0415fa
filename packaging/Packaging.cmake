# The Debian package: `cpack -G DEB` in the build folder packs what `cmake --install` installs, under /usr.
set(CPACK_PACKAGE_NAME leafbind)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Leafbind developers <leafbind@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turns a Word document into a compiled HTML Help file")
# Lines of the long description stay within 80 columns, as Debian's tools show them.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Leafbind converts one Word document (.docx or .doc) into one compiled HTML
Help file (.chm): every heading becomes a topic page, the headings become the
contents tree and the keyword index. It comes as a desktop program (leafbind),
a command-line converter (leafbind-cli) and the help compiler on its own
(leafbind-hhc).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
# The libraries the programs link (wxWidgets, libzip, pugixml and what they pull in) come from the binaries
# themselves; libhha.so is the package's own and found through the programs' RUNPATH.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_INSTALL_PREFIX}/${LEAFBIND_INSTALL_LIBDIR})
# Found at run time, so not linked: soffice reads .doc files, wmf2gd turns metafile pictures into PNG, the toolkit's
# translations give message boxes and file choosers the user's language, xdg-open starts the help viewer.
# LibreOffice reads .doc files with Writer and draws EMF and WMF pictures with Draw.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libreoffice-writer-nogui | libreoffice-writer, libreoffice-draw-nogui | libreoffice-draw, libwmf-bin, wx3.2-i18n, xdg-utils")
# A viewer for the help files it makes; without one the desktop's open would hand them to a web browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "${CPACK_DEBIAN_PACKAGE_RECOMMENDS}, xchm | kchmviewer")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The copyright and changelog every Debian package carries.
set(LEAFBIND_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/leafbind)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${LEAFBIND_DOCDIR})
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
    COMMAND gzip -9nc ${CMAKE_CURRENT_LIST_DIR}/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog VERBATIM)
add_custom_target(leafbind-changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${LEAFBIND_DOCDIR})
include(CPack)

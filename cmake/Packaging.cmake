# Installing Quillbox as a desktop program (the executable, its menu entry, icon and software-centre metadata in
# their standard places) and packing that into a Debian package with `cpack -G DEB`.

include(GNUInstallDirs)

install(TARGETS quillbox RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/quillbox.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/quillbox.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/io.github.quillbox.Quillbox.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_PACKAGE_NAME quillbox)
set(CPACK_PACKAGE_VENDOR "Quillbox for Linux contributors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "short notes with reminder dates, one small text file each")
set(CPACK_PACKAGE_DESCRIPTION "Quillbox keeps short notes, each a small text file in a data folder you choose, \
with an optional reminder date. It saves, recalls and deletes them, searches a folder by words, phrases and dates, \
shows the reminders due today at start-up, imports comma-delimited files and prints.")
set(CPACK_PACKAGE_CONTACT "Quillbox for Linux contributors (see the project's issue tracker)")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from the binary's own links (dpkg-shlibdeps); the fonts and the Qt platform plugins are
# loaded at run time, so they are named by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, qt6-qpa-plugins")
set(CPACK_GENERATOR DEB)
include(CPack)

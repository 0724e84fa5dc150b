# Installing Quillbox as a desktop program (the executable, its manual page, menu entry, login autostart entry, icon
# and software-centre metadata, its copyright and changelog in their standard places) and packing that into a Debian package with
# `cpack -G DEB` that lintian accepts.

include(GNUInstallDirs)

# The manual page gets the version; it and the changelog are installed compressed, as Debian wants them. gzip -n
# leaves out the name and time stamp, so the same sources give the same files.
configure_file(docs/quillbox.1.in quillbox.1 @ONLY)
set(QUILLBOX_COMPRESSED_DOCS)
foreach(source IN ITEMS "${CMAKE_CURRENT_BINARY_DIR}/quillbox.1" "${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog")
    get_filename_component(name "${source}" NAME)
    add_custom_command(OUTPUT "${name}.gz" COMMAND gzip -9 -n -c "${source}" > "${name}.gz" DEPENDS "${source}"
                       COMMENT "Compressing ${name}" VERBATIM)
    list(APPEND QUILLBOX_COMPRESSED_DOCS "${CMAKE_CURRENT_BINARY_DIR}/${name}.gz")
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${QUILLBOX_COMPRESSED_DOCS})

set(QUILLBOX_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/quillbox)
install(TARGETS quillbox RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/quillbox.1.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/quillbox.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The entry that runs `quillbox --remind` at every login. Desktops read autostart entries from /etc/xdg/autostart,
# where a system install (prefix /usr, as the Debian package is configured) puts it, as a file the administrator may
# change and dpkg then keeps across upgrades (a conffile). Any other prefix keeps it under its own etc/.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    install(FILES packaging/quillbox-remind.desktop DESTINATION /etc/xdg/autostart)
    file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/debian/conffiles" "/etc/xdg/autostart/quillbox-remind.desktop\n")
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_CURRENT_BINARY_DIR}/debian/conffiles")
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
else()
    install(FILES packaging/quillbox-remind.desktop DESTINATION ${CMAKE_INSTALL_SYSCONFDIR}/xdg/autostart)
endif()
install(FILES resources/quillbox.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/io.github.quillbox.Quillbox.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/copyright "${CMAKE_CURRENT_BINARY_DIR}/changelog.gz" DESTINATION ${QUILLBOX_DOCDIR})

set(CPACK_PACKAGE_NAME quillbox)
set(CPACK_PACKAGE_VENDOR "Quillbox for Linux contributors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "short notes with reminder dates, one small text file each")
# The long description under the summary, in lines of at most 80 characters.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quillbox keeps short notes, each a small text file in a data folder you choose,
with an optional reminder date. It saves, recalls and deletes them, searches a
folder by words, phrases and dates, shows the reminders due today at start-up,
imports comma-delimited files and prints.")
set(CPACK_PACKAGE_CONTACT "Quillbox for Linux contributors <quillbox@users.noreply.github.com>")
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

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
# The entry that runs `quillbox --remind` at every login. Where it goes depends on the prefix given when installing
# (cpack always installs for /usr, `cmake --install --prefix` for whatever it is told), not on the one the tree was
# configured with, so the install script decides: for the prefix /usr, /etc/xdg/autostart, where desktops read it, as
# a file the administrator may change and dpkg keeps across upgrades (a conffile, below); for any other prefix, the
# prefix's own etc/.
install(CODE "set(quillbox_packaging \"${CMAKE_CURRENT_SOURCE_DIR}/packaging\")")
install(CODE [[
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(quillbox_autostart_dir /etc/xdg/autostart)
else()
    set(quillbox_autostart_dir "${CMAKE_INSTALL_PREFIX}/etc/xdg/autostart")
endif()
file(INSTALL "${quillbox_packaging}/quillbox-remind.desktop" DESTINATION "${quillbox_autostart_dir}")
]])
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
# The package installs for /usr and /etc whatever prefix the tree was configured with (the default, /usr/local, too).
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The autostart entry is a conffile.
file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/debian/conffiles" "/etc/xdg/autostart/quillbox-remind.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_CURRENT_BINARY_DIR}/debian/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_GENERATOR DEB)
include(CPack)

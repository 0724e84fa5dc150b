# Installing Quillbox as a desktop program (the executable, its manual page, menu entry, login autostart entry, the
# systemd user timer and service of the daily reminder check, the desktops' search (GNOME Shell's search provider,
# KRunner's runner and the D-Bus service that starts it), icon and software-centre metadata, its copyright and
# changelog in their standard places) and packing that into a Debian package with `cpack -G DEB` that lintian
# accepts.

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
# The desktops' search: GNOME Shell reads its providers' key files, KRunner its D-Bus runners' entries, and the session
# bus its services, each from share/ under the prefix (for ~/.local: the user's own, searched before the system's).
install(FILES packaging/quillbox-search-provider.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/gnome-shell/search-providers)
install(FILES packaging/quillbox-krunner.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/krunner/dbusplugins)
# The entry that runs `quillbox --remind` at every login, and the systemd user timer and service that run it each
# morning. Where they go depends on the prefix given when installing (cpack always installs for /usr, `cmake --install
# --prefix` for whatever it is told), not on the one the tree was configured with, so the install script decides:
# - prefix /usr: the entry in /etc/xdg/autostart, where desktops read it, as a file the administrator may change and
#   dpkg keeps across upgrades (a conffile, below); the units in /usr/lib/systemd/user, where packages put them;
# - any other prefix: the entry under the prefix's own etc/, and the units in PREFIX/share/systemd/user, which the
#   systemd user manager searches for ~/.local ($XDG_DATA_HOME) and for /usr/local ($XDG_DATA_DIRS); the service
#   then runs the program installed under that prefix.
install(CODE "set(quillbox_packaging \"${CMAKE_CURRENT_SOURCE_DIR}/packaging\")
set(quillbox_bindir \"${CMAKE_INSTALL_BINDIR}\")
set(quillbox_install_work \"${CMAKE_CURRENT_BINARY_DIR}/install-time\")")
install(CODE [[
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(quillbox_autostart_dir /etc/xdg/autostart)
    set(quillbox_user_unit_dir /usr/lib/systemd/user)
else()
    set(quillbox_autostart_dir "${CMAKE_INSTALL_PREFIX}/etc/xdg/autostart")
    set(quillbox_user_unit_dir "${CMAKE_INSTALL_PREFIX}/share/systemd/user")
endif()
file(INSTALL "${quillbox_packaging}/quillbox-remind.desktop" DESTINATION "${quillbox_autostart_dir}")
cmake_path(ABSOLUTE_PATH quillbox_bindir BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" OUTPUT_VARIABLE quillbox_program)
cmake_path(APPEND quillbox_program quillbox)
# The service names the packaged program; installed under another prefix, it runs the program installed there.
file(READ "${quillbox_packaging}/quillbox-remind.service" quillbox_service)
set(quillbox_exec "ExecStart=/usr/bin/quillbox ")
string(FIND "${quillbox_service}" "${quillbox_exec}" quillbox_exec_at)
if(quillbox_exec_at EQUAL -1)
    message(FATAL_ERROR "quillbox-remind.service has no ${quillbox_exec}line to point at ${quillbox_program}")
endif()
# In a unit file "%" starts a specifier and "$" a variable, and a path with a space, a quote or a backslash must be
# quoted: the path is written so that systemd reads it back as it is.
string(REPLACE "\\" "\\\\" quillbox_unit_program "${quillbox_program}")
string(REPLACE "\"" "\\\"" quillbox_unit_program "${quillbox_unit_program}")
string(REPLACE "%" "%%" quillbox_unit_program "${quillbox_unit_program}")
string(REPLACE "$" "$$" quillbox_unit_program "${quillbox_unit_program}")
if(NOT quillbox_unit_program STREQUAL quillbox_program OR quillbox_program MATCHES "[ \t]")
    set(quillbox_unit_program "\"${quillbox_unit_program}\"")
endif()
string(REPLACE "${quillbox_exec}" "ExecStart=${quillbox_unit_program} " quillbox_service "${quillbox_service}")
file(CONFIGURE OUTPUT "${quillbox_install_work}/quillbox-remind.service" CONTENT "${quillbox_service}" @ONLY)
file(INSTALL "${quillbox_install_work}/quillbox-remind.service" "${quillbox_packaging}/quillbox-remind.timer"
     DESTINATION "${quillbox_user_unit_dir}")
# The D-Bus service of the desktops' search runs the program installed under the prefix too. The bus splits its Exec
# line as a shell does: a path of other characters than these is single-quoted.
set(quillbox_bus_service io.github.quillbox.Quillbox.SearchProvider.service)
file(READ "${quillbox_packaging}/${quillbox_bus_service}" quillbox_service)
set(quillbox_bus_program "${quillbox_program}")
if(quillbox_program MATCHES "[^A-Za-z0-9_./+-]")
    string(REPLACE "'" "'\\''" quillbox_bus_program "${quillbox_program}")
    set(quillbox_bus_program "'${quillbox_bus_program}'")
endif()
string(REPLACE "Exec=/usr/bin/quillbox " "Exec=${quillbox_bus_program} " quillbox_service "${quillbox_service}")
file(WRITE "${quillbox_install_work}/${quillbox_bus_service}" "${quillbox_service}")
file(INSTALL "${quillbox_install_work}/${quillbox_bus_service}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/dbus-1/services")
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
# loaded at run time, so they are named by hand, and so is the helper of the maintainer scripts (below).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, qt6-qpa-plugins, init-system-helpers (>= 1.52)")
# The Qt platform plugin of Wayland: without it Quillbox needs Xwayland on a Wayland desktop.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
# The package installs for /usr and /etc whatever prefix the tree was configured with (the default, /usr/local, too).
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The autostart entry is a conffile; postinst enables the timer for every user and postrm undoes that, both through
# deb-systemd-helper --user, which init-system-helpers has since version 1.52.
file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/debian/conffiles" "/etc/xdg/autostart/quillbox-remind.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_CURRENT_BINARY_DIR}/debian/conffiles"
    "${CMAKE_CURRENT_SOURCE_DIR}/packaging/postinst" "${CMAKE_CURRENT_SOURCE_DIR}/packaging/postrm")
# Maintainer scripts 0755 and the conffiles list 0644, whatever the checkout's modes are.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_GENERATOR DEB)
include(CPack)

#!/usr/bin/env bash
# Checks Quillbox as an installed desktop program:
#   1. builds a Release tree without tests in build-package/ for the prefix /usr and installs it into a staging
#      folder; the menu entry, the login autostart entry and the software-centre metadata must pass
#      desktop-file-validate and appstreamcli validate, the autostart entry must run `quillbox --remind`, and the
#      manual page must render without a warning;
#   2. makes the Debian package with `cpack -G DEB`, checks its file list, its Depends and its changelog's version,
#      and runs lintian on it: any error or warning fails. A tag that cannot apply to a package made by CPack
#      belongs in a lintian overrides file that the package installs, with the reason, never in a filter here;
#      none is needed so far;
#   3. installs the package (apt-get as root, so its Depends must be installable; without root it is unpacked
#      into a fresh folder with dpkg -x), runs the autostart entry's command with an empty QUILLBOX_HOME (it must
#      end at once, print nothing and create nothing), and starts the installed program offscreen with that home,
#      until its main window is up;
#   4. removes the package again with its conffile (dpkg --purge), so the machine is left as it was.
# The package is left in build-package/ for whoever wants it.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-package"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
ensure_packages "${run_packages[@]}" "${package_packages[@]}"

work="$(mktemp -d)"
installed_here=no
cleanup() {
    if [ "$installed_here" = yes ]; then
        # Purged, so that its conffile (the autostart entry) goes too.
        as_root dpkg --purge quillbox >/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "package-test: $*" >&2
    exit 1
}

echo "== build and install into a staging folder"
# Built with Debian's compiler and linker flags (fortified functions, full RELRO), as a Debian package is.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(cd "$root" && echo "$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)")"
cmake -S "$root" -B "$build" "${strict_build[@]}" -DCMAKE_BUILD_TYPE=Release -DQUILLBOX_TESTS=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_CXX_FLAGS="$cxxflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build"
stage="$work/stage"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
autostart=etc/xdg/autostart/quillbox-remind.desktop
installed_files=(usr/bin/quillbox usr/share/man/man1/quillbox.1.gz usr/share/applications/quillbox.desktop
    "$autostart" usr/share/icons/hicolor/scalable/apps/quillbox.svg
    usr/share/metainfo/io.github.quillbox.Quillbox.metainfo.xml usr/share/doc/quillbox/copyright
    usr/share/doc/quillbox/changelog.gz)
for file in "${installed_files[@]}"; do
    [ -f "$stage/$file" ] || fail "cmake --install did not install /$file"
done
desktop-file-validate "$stage/usr/share/applications/quillbox.desktop"
desktop-file-validate "$stage/$autostart"
# The autostart entry's fields: a program started at login, with no terminal, running the reminder notification,
# and skipped once the program is removed and only the entry (a conffile) is left.
for field in "Type=Application" "Exec=quillbox --remind" "TryExec=quillbox" "Icon=quillbox" "Terminal=false"; do
    grep -qx "$field" "$stage/$autostart" || fail "the autostart entry lacks the line $field"
done
! grep -qE "^(Hidden|NoDisplay)=true" "$stage/$autostart" || fail "the autostart entry is hidden from the desktop's settings"
appstreamcli validate --no-net "$stage/usr/share/metainfo/io.github.quillbox.Quillbox.metainfo.xml"
man_warnings="$(MANWIDTH=80 man --warnings -l "$stage/usr/share/man/man1/quillbox.1.gz" 2>&1 >/dev/null)"
[ -z "$man_warnings" ] || fail "the manual page renders with warnings: $man_warnings"

echo "== Debian package"
rm -f "$build"/quillbox_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/quillbox_*.deb)"
echo "$deb"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libqt6printsupport6 libqt6dbus6 fonts-liberation \
    qt6-qpa-plugins; do
    grep -qw "$needed" <<<"$depends" || fail "the package does not depend on $needed"
done
listing="$(dpkg-deb -c "$deb")"
for file in "${installed_files[@]}"; do
    grep -q " ./$file\$" <<<"$listing" || fail "the package lacks /$file"
done
dpkg-deb -e "$deb" "$work/control"
[ "$(cat "$work/control/conffiles" 2>/dev/null)" = "/$autostart" ] ||
    fail "the package does not mark /$autostart as a conffile"
version="$(dpkg-deb -f "$deb" Version)"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/quillbox/changelog.gz | gzip -dc >"$work/changelog"
changelog_version="$(dpkg-parsechangelog -l "$work/changelog" -S Version)"
[ "$changelog_version" = "$version" ] || fail "the changelog's last entry is $changelog_version, the package $version"
echo "== lintian"
lintian --fail-on error,warning --info "$deb" || fail "lintian reports errors or warnings"

echo "== install the package and start the installed program"
if [ "$(id -u)" -eq 0 ]; then
    if dpkg-query -W -f='${Status}' quillbox 2>/dev/null | grep -q "install ok installed"; then
        fail "a quillbox package is installed already; remove it first (dpkg -r quillbox)"
    fi
    installed_here=yes
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >/dev/null
    program=/usr/bin/quillbox
else
    # Without root: unpack into a fresh folder; the Depends were checked above and are what this machine runs on.
    dpkg -x "$deb" "$work/root"
    program="$work/root/usr/bin/quillbox"
fi

# As over ssh: no display at all.
answer="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --version)"
[ "$answer" = "quillbox $version" ] || fail "the installed program's --version says '$answer'"
echo "without a display: '$answer'"

# The autostart entry's command, as at a login with alarm checking off: it ends at once, silent, creating nothing.
mkdir "$work/home"
remind_command="$(sed -n 's/^Exec=quillbox //p' "$stage/$autostart")"
remind_output="$(env -u DISPLAY -u WAYLAND_DISPLAY QUILLBOX_HOME="$work/home" timeout 30 "$program" $remind_command)" ||
    fail "'quillbox $remind_command' with nothing to tell failed"
[ -z "$remind_output" ] || fail "'quillbox $remind_command' with nothing to tell printed '$remind_output'"
[ -z "$(ls -A "$work/home")" ] || fail "'quillbox $remind_command' created files: $(ls -A "$work/home")"
echo "autostart command with nothing due: silent, nothing created"

# The probe is preloaded into the unchanged program: it writes the main window's title once the window is shown.
g++ -std=c++20 -shared -fPIC -o "$work/window_probe.so" "$root/tests/tools/window_probe.cpp" \
    $(pkg-config --cflags --libs Qt6Widgets)
status=0
env QT_QPA_PLATFORM=offscreen QUILLBOX_HOME="$work/home" LD_PRELOAD="$work/window_probe.so" \
    QUILLBOX_PROBE_WINDOW=MainWindow QUILLBOX_PROBE_OUT="$work/title" timeout 90 "$program" || status=$?
[ "$status" -eq 0 ] || fail "the installed program did not show its main window (exit status $status)"
title="$(cat "$work/title")"
[[ "$title" == "  Quillbox 1.2"* ]] || fail "the main window's title is '$title'"
[ -d "$work/home/drive_c/quill" ] || fail "the installed program did not create its data folder c:\\quill"
echo "main window up: '$title'"
echo "package-test: all checks passed"

#!/usr/bin/env bash
# Checks Quillbox as an installed desktop program:
#   1. builds a Release tree without tests in build-package/ for the prefix /usr and installs it into a staging
#      folder; the menu entry, the login autostart entry and the software-centre metadata must pass
#      desktop-file-validate and appstreamcli validate, the autostart entry must run `quillbox --remind --quiet`,
#      the manual page must render without a warning, and the systemd user units of the daily reminder check must say
#      what they do: the timer at 08:00 every day, caught up after a day missed (Persistent=true), wanted by
#      timers.target; the service running /usr/bin/quillbox --remind --quiet;
#   2. installs the same tree for one user under a fresh prefix, as `cmake --install build --prefix ~/.local`
#      does, one whose path holds a space and a "%": the autostart entry under PREFIX/etc/xdg/autostart, the units in
#      PREFIX/share/systemd/user, the same as the staged ones but for the service running PREFIX/bin/quillbox, its
#      path quoted and escaped for systemd; `systemd-analyze --user verify` must find nothing to say about them
#      (offline: no systemd needs to run);
#   3. makes the Debian package with `cpack -G DEB`, checks its file list, its Depends and Recommends, its conffile,
#      its maintainer scripts and its changelog's version, and runs lintian on it: any error or warning fails. A
#      tag that cannot apply to a package made by CPack belongs in a lintian overrides file that the package
#      installs, with the reason, never in a filter here; none is needed so far;
#   4. configures the same tree again for the default prefix (/usr/local), makes a second package from it and
#      checks that it holds the same files as the first and that lintian finds nothing in it either; the tree is
#      then configured for /usr again, without a file being compiled again;
#   5. as root: installs the package with apt-get (a quillbox package found here before is purged first), checks
#      that the timer is enabled for every user (the link under /etc/systemd/user/timers.target.wants/) and
#      verifies the installed units; changes the autostart entry (a conffile), installs the package again over
#      itself as an upgrade does, and checks that both the change and the link are still there; disables the timer
#      with `systemctl --global disable`, installs the package over itself again and checks it stays disabled.
#      Without root the package is unpacked into a fresh folder with dpkg -x instead;
#   6. runs the autostart entry's command with an empty QUILLBOX_HOME (it must end at once, print nothing and
#      create nothing), and starts the installed program offscreen with that home, until its main window is up;
#   7. as root: removes the package (the timer is masked, the link and the conffile stay), then purges it: the
#      conffile, the link and the mask are gone, so the machine is left as it was.
# The package is left in build-package/ for whoever wants it.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-package"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
ensure_packages "${run_packages[@]}" "${package_packages[@]}"

work="$(mktemp -d)"
mkdir -m 700 "$work/runtime"
installed_here=no
cleanup() {
    if [ "$installed_here" = yes ]; then
        # Purged, so that its conffile (the autostart entry) and the timer's link go too.
        as_root dpkg --purge quillbox >/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "package-test: $*" >&2
    exit 1
}

# The unit file's line that says it, whole: a unit that lost it or says it otherwise fails.
require_line() {
    local file="$1" line="$2"
    grep -qxF "$line" "$file" || fail "$(basename "$file") lacks the line $line"
}

# systemd-analyze warns about an unknown key or a bad value and still ends with status 0, so any output fails too.
# It needs a runtime folder of its own, not a running systemd.
verify_units() {
    local said status=0
    said="$(XDG_RUNTIME_DIR="$work/runtime" systemd-analyze --user verify "$@" 2>&1)" || status=$?
    if [ "$status" -ne 0 ] || [ -n "$said" ]; then
        fail "systemd-analyze verify $* (status $status): $said"
    fi
}

# A package's entries by type and mode, owner and path; the times differ from one package to the next.
entries() {
    dpkg-deb -c "$1" | awk '{ print $1, $2, $6 }'
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
units=usr/lib/systemd/user
timer=quillbox-remind.timer
service=quillbox-remind.service
bus_service=usr/share/dbus-1/services/io.github.quillbox.Quillbox.SearchProvider.service
search_files=(usr/share/gnome-shell/search-providers/quillbox-search-provider.ini
    usr/share/krunner/dbusplugins/quillbox-krunner.desktop "$bus_service")
installed_files=(usr/bin/quillbox usr/share/man/man1/quillbox.1.gz usr/share/applications/quillbox.desktop
    "$autostart" "$units/$timer" "$units/$service" usr/share/icons/hicolor/scalable/apps/quillbox.svg
    usr/share/metainfo/io.github.quillbox.Quillbox.metainfo.xml usr/share/doc/quillbox/copyright
    usr/share/doc/quillbox/changelog.gz "${search_files[@]}")
for file in "${installed_files[@]}"; do
    [ -f "$stage/$file" ] || fail "cmake --install did not install /$file"
done
desktop-file-validate "$stage/usr/share/applications/quillbox.desktop"
desktop-file-validate "$stage/$autostart"
# The autostart entry's fields: a program started at login, with no terminal, running the reminder notification,
# and skipped once the program is removed and only the entry (a conffile) is left.
for field in "Type=Application" "Exec=quillbox --remind --quiet" "TryExec=quillbox" "Icon=quillbox" "Terminal=false"; do
    grep -qx "$field" "$stage/$autostart" || fail "the autostart entry lacks the line $field"
done
! grep -qE "^(Hidden|NoDisplay)=true" "$stage/$autostart" || fail "the autostart entry is hidden from the desktop's settings"
appstreamcli validate --no-net "$stage/usr/share/metainfo/io.github.quillbox.Quillbox.metainfo.xml"
man_warnings="$(MANWIDTH=80 man --warnings -l "$stage/usr/share/man/man1/quillbox.1.gz" 2>&1 >/dev/null)"
[ -z "$man_warnings" ] || fail "the manual page renders with warnings: $man_warnings"
require_line "$stage/$units/$timer" "OnCalendar=*-*-* 08:00:00"
require_line "$stage/$units/$timer" "Persistent=true"
require_line "$stage/$units/$timer" "WantedBy=timers.target"
require_line "$stage/$units/$service" "ExecStart=/usr/bin/quillbox --remind --quiet"
require_line "$stage/$bus_service" "Exec=/usr/bin/quillbox --search-service"

echo "== install for one user under a prefix of its own"
user_prefix="$work/user home 100%"
cmake --install "$build" --prefix "$user_prefix" >/dev/null
user_units="$user_prefix/share/systemd/user"
[ -f "$user_prefix/$autostart" ] || fail "an install for one user did not put the autostart entry in $user_prefix/etc"
for unit in "$timer" "$service"; do
    [ -f "$user_units/$unit" ] || fail "an install for one user did not put $unit in $user_units"
done
cmp -s "$user_units/$timer" "$stage/$units/$timer" || fail "an install for one user changed $timer"
# systemd reads "%%" as "%", and the quotes keep the path whole.
unit_program="\"${user_prefix//%/%%}/bin/quillbox\""
expected_service="$(awk -v exec="ExecStart=$unit_program " \
    'index($0, "ExecStart=/usr/bin/quillbox ") == 1 { print exec substr($0, 29); next } { print }' \
    "$stage/$units/$service")"
[ "$(cat "$user_units/$service")" = "$expected_service" ] ||
    fail "the service of an install for one user does not run $unit_program, or differs otherwise"
# These units differ from the staged ones only in the program's path, which exists here; the manual page they
# name is the one installed with them.
MANPATH="$user_prefix/share/man" verify_units "$user_units/$timer" "$user_units/$service"
echo "units in $user_units, verified"
# The desktops' search files where the desktops look for a user's own; the bus splits the service's Exec line as a
# shell does, so the path is quoted.
for file in "${search_files[@]}"; do
    [ -f "$user_prefix/${file#usr/}" ] || fail "an install for one user did not put $file under $user_prefix"
done
require_line "$user_prefix/${bus_service#usr/}" "Exec='$user_prefix/bin/quillbox' --search-service"

echo "== Debian package"
rm -f "$build"/quillbox_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/quillbox_*.deb)"
echo "$deb"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libqt6printsupport6 libqt6dbus6 fonts-liberation \
    qt6-qpa-plugins init-system-helpers; do
    grep -qw "$needed" <<<"$depends" || fail "the package does not depend on $needed"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = "qt6-wayland" ] || fail "the package does not recommend qt6-wayland"
listing="$(dpkg-deb -c "$deb")"
for file in "${installed_files[@]}"; do
    grep -q " ./$file\$" <<<"$listing" || fail "the package lacks /$file"
done
dpkg-deb -e "$deb" "$work/control"
[ "$(cat "$work/control/conffiles" 2>/dev/null)" = "/$autostart" ] ||
    fail "the package does not mark /$autostart as a conffile"
for script in postinst postrm; do
    [ "$(stat -c %a "$work/control/$script" 2>/dev/null)" = 755 ] || fail "the package has no executable $script"
done
version="$(dpkg-deb -f "$deb" Version)"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/quillbox/changelog.gz | gzip -dc >"$work/changelog"
changelog_version="$(dpkg-parsechangelog -l "$work/changelog" -S Version)"
[ "$changelog_version" = "$version" ] || fail "the changelog's last entry is $changelog_version, the package $version"
echo "== lintian"
lintian --fail-on error,warning --info "$deb" || fail "lintian reports errors or warnings"

echo "== Debian package from a tree configured for the default prefix"
# The same tree, with its prefix back to CMake's default: nothing is compiled again.
cmake -U CMAKE_INSTALL_PREFIX "$build" >/dev/null
grep -qx "CMAKE_INSTALL_PREFIX:PATH=/usr/local" "$build/CMakeCache.txt" ||
    fail "build-package/ is not configured for the default prefix /usr/local"
cmake --build "$build" >/dev/null
(cd "$build" && cpack -G DEB -B "$work/default-prefix" >/dev/null)
default_deb="$(ls "$work"/default-prefix/quillbox_*.deb)"
cmake -DCMAKE_INSTALL_PREFIX=/usr "$build" >/dev/null
entry_changes="$(diff <(entries "$deb") <(entries "$default_deb"))" ||
    fail "the package from the default prefix differs in its files from the one for /usr: $entry_changes"
dpkg-deb -e "$default_deb" "$work/default-control"
cmp -s "$work/control/conffiles" "$work/default-control/conffiles" ||
    fail "the package from the default prefix has other conffiles"
echo "same files as the package for /usr"
lintian --fail-on error,warning --info "$default_deb" || fail "lintian reports errors or warnings on $default_deb"

wanted_link=/etc/systemd/user/timers.target.wants/$timer
if [ "$(id -u)" -eq 0 ]; then
    echo "== install the package, then install it again over itself"
    # Installed or removed with its configuration kept: the test starts from a machine without it.
    before="$(dpkg-query -W -f='${db:Status-Status}' quillbox 2>/dev/null || true)"
    if [ -n "$before" ] && [ "$before" != not-installed ]; then
        echo "a quillbox package is here already (dpkg state: $before); purged first, as the test purges its own"
        dpkg --purge quillbox >/dev/null
    fi
    installed_here=yes
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >/dev/null
    [ "$(readlink "$wanted_link")" = "/$units/$timer" ] ||
        fail "the package did not enable $timer for every user: no link $wanted_link to /$units/$timer"
    verify_units "/$units/$timer" "/$units/$service"
    echo "timer enabled for every user: $wanted_link; installed units verified"

    # The administrator's change to a conffile stays over an upgrade.
    echo "# changed by package-test" >>"/$autostart"
    # apt-get's --reinstall runs the maintainer scripts as an upgrade to a newer version of the package does.
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --reinstall "$deb" >/dev/null
    grep -qx "# changed by package-test" "/$autostart" ||
        fail "installing the package over itself lost the change to /$autostart"
    [ "$(readlink "$wanted_link")" = "/$units/$timer" ] || fail "installing the package over itself lost $wanted_link"
    echo "installed over itself: the changed autostart entry and the timer's link are kept"
    # So is the administrator's choice to turn the timer off for every user. Turned on again, its link is one the
    # purge below must remove.
    systemctl --global --quiet disable "$timer"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --reinstall "$deb" >/dev/null
    [ ! -L "$wanted_link" ] || fail "installing the package over itself enabled $timer again after it was disabled"
    systemctl --global --quiet enable "$timer"
    echo "installed over itself: a timer disabled with systemctl --global stays disabled"
    program=/usr/bin/quillbox
else
    echo "== unpack the package (installing it needs root)"
    # Without root: unpack into a fresh folder; the Depends were checked above and are what this machine runs on.
    dpkg -x "$deb" "$work/root"
    program="$work/root/usr/bin/quillbox"
fi

echo "== start the installed program"
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
g++ -std=c++20 -shared -fPIC -o "$work/window_probe.so" "$root/tests/support/programs/window_probe.cpp" \
    $(pkg-config --cflags --libs Qt6Widgets)
status=0
env QT_QPA_PLATFORM=offscreen QUILLBOX_HOME="$work/home" LD_PRELOAD="$work/window_probe.so" \
    QUILLBOX_PROBE_WINDOW=MainWindow QUILLBOX_PROBE_OUT="$work/title" timeout 90 "$program" || status=$?
[ "$status" -eq 0 ] || fail "the installed program did not show its main window (exit status $status)"
title="$(cat "$work/title")"
[[ "$title" == "  Quillbox 1.2"* ]] || fail "the main window's title is '$title'"
[ -d "$work/home/drive_c/quill" ] || fail "the installed program did not create its data folder c:\\quill"
echo "main window up: '$title'"

if [ "$installed_here" = yes ]; then
    echo "== remove the package, then purge it"
    mask=/etc/systemd/user/$timer
    dpkg --remove quillbox >/dev/null
    [ "$(readlink "$mask")" = /dev/null ] || fail "removing the package did not mask $timer ($mask)"
    [ -L "$wanted_link" ] || fail "removing the package took $wanted_link"
    [ -f "/$autostart" ] || fail "removing the package took /$autostart"
    dpkg --purge quillbox >/dev/null
    installed_here=no
    for left in "/$autostart" "$wanted_link" "$mask"; do
        if [ -e "$left" ] || [ -L "$left" ]; then
            fail "purging the package left $left"
        fi
    done
    echo "removed: timer masked, configuration kept; purged: autostart entry, link and mask gone"
fi
echo "package-test: all checks passed"

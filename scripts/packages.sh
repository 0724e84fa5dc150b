# Sourced by the check scripts: installs the Debian packages that are missing, through sudo when not root.
# Quick when everything is installed already.

# What building and running Quillbox needs.
run_packages=(g++ cmake ninja-build qt6-base-dev liburing-dev libacl1-dev fonts-liberation)
# What the test suite needs besides; the end-to-end tests run the program on a virtual screen (xvfb) with a window
# manager (openbox), send it key presses and clicks (xdotool), show another program's window beside it (xmessage of
# x11-utils, whose xprop scripts/window-pictures.sh asks for the window manager) and take screenshots of failures
# (imagemagick); a slow folder for them is mounted through FUSE (libfuse3-dev, found with pkg-config, and fuse3), and
# one keeps its data folder on a FAT image through FUSE (dosfstools, fusefat); the reminder notification goes over a
# session bus of the test's own (dbus-daemon, watched by dbus-monitor of dbus-bin) to a real notification server
# (dunst), and the desktops' search service is started by that bus with the environment that
# dbus-update-activation-environment (dbus-bin) hands it; a screen reader's questions go over the accessibility bus
# (at-spi2-core).
test_packages=(libgtest-dev poppler-utils fiu-utils faketime strace distro-info-data xvfb openbox xdotool x11-utils
    imagemagick pkg-config libfuse3-dev fuse3 dosfstools fusefat dbus-daemon dbus-bin dunst at-spi2-core)
# The file-system matrix (scripts/fs-matrix.sh) besides: the tools that make and mount btrfs, xfs, exFAT and NTFS
# images, a folder over SSH (an sshd of the test's own on 127.0.0.1) and an rclone mount.
fs_packages=(btrfs-progs xfsprogs exfatprogs exfat-fuse ntfs-3g fuse3 openssh-server sshfs rclone)
# The real print spooler of the end-to-end print test.
print_packages=(cups printer-driver-cups-pdf)
# The fuzz targets build with clang and its libFuzzer runtime.
fuzz_packages=(clang-14 libclang-rt-14-dev)
# Building, validating and installing the Debian package, its manual page, its desktop files and its systemd user
# units (systemd-analyze of systemd).
package_packages=(pkg-config desktop-file-utils appstream dpkg-dev file man-db lintian systemd)
# The benchmarks' network share: sshfs to a loopback sshd; the peer the cold search is measured against, ripgrep;
# and GoogleTest, which the tests' fake dialogs that the search bench drives the windows with are built on
# (bench/run.sh).
bench_packages=(sshfs fuse3 openssh-server openssh-client ripgrep libgtest-dev)
# The format and lint gates.
lint_packages=(clang-format clang-tidy)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Builds the project's checks use: warnings are errors there.
strict_build=(-G Ninja -DQUILLBOX_WERROR=ON)

ensure_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update -q
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
    fi
}

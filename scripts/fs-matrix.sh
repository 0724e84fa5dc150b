#!/usr/bin/env bash
# The file-system matrix: saves, resaves, deletes, settings writes and the search walk on ext4, btrfs and xfs (loop
# images), tmpfs, exFAT, FAT and NTFS (FUSE), a folder over SSH and an rclone mount, each mounted by the test and
# undone again, plus two SSH mounts of one folder as two machines. Prints one line per file system; one that cannot
# be mounted here is named as skipped, with the reason. Needs root (mounts); bounded to three minutes.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-test"
source "$root/scripts/packages.sh"

if [ "$(id -u)" -ne 0 ]; then
    echo "fs-matrix: mounting needs root" >&2
    exit 1
fi
ensure_packages "${run_packages[@]}" "${test_packages[@]}" "${fs_packages[@]}"
cmake -S "$root" -B "$build" "${strict_build[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLBOX_TESTS=ON >/dev/null
cmake --build "$build" --target test_fs_matrix
timeout 180 "$build/tests/test_fs_matrix"

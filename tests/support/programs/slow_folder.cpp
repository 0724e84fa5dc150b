// A folder shown again through a file system in user space (FUSE) whose every open and read is answered after a
// delay, one request at a time, as a slow network share answers: the real program reads its records from it for
// the end-to-end tests of long walks.
//
//   slow_folder SOURCE MOUNTPOINT DELAY_MS
//
// Runs until it is unmounted (fusermount3 -u MOUNTPOINT) or ended with SIGTERM. Read-only.

#define FUSE_USE_VERSION 31

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

int source = -1;
std::chrono::milliseconds delay{0};

// The path FUSE gives ("/name") relative to the source folder.
const char* relative(const char* path) {
    return path[1] == '\0' ? "." : path + 1;
}

int getattr(const char* path, struct stat* status, fuse_file_info*) {
    return ::fstatat(source, relative(path), status, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : -errno;
}

int readdir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags) {
    const int fd = ::openat(source, relative(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = fd < 0 ? nullptr : ::fdopendir(fd);
    if (listing == nullptr)
        return -errno;
    while (const dirent* entry = ::readdir(listing))
        fill(buffer, entry->d_name, nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    ::closedir(listing);
    return 0;
}

int open(const char* path, fuse_file_info* file) {
    std::this_thread::sleep_for(delay);
    const int fd = ::openat(source, relative(path), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -errno;
    file->fh = static_cast<std::uint64_t>(fd);
    return 0;
}

int read(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* file) {
    std::this_thread::sleep_for(delay);
    const ssize_t n = ::pread(static_cast<int>(file->fh), buffer, size, offset);
    return n < 0 ? -errno : static_cast<int>(n);
}

int release(const char*, fuse_file_info* file) {
    ::close(static_cast<int>(file->fh));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: slow_folder SOURCE MOUNTPOINT DELAY_MS\n");
        return 2;
    }
    source = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (source < 0) {
        std::perror(argv[1]);
        return 2;
    }
    delay = std::chrono::milliseconds(std::atoi(argv[3]));
    fuse_operations operations{};
    operations.getattr = getattr;
    operations.readdir = readdir;
    operations.open = open;
    operations.read = read;
    operations.release = release;
    // In the foreground, one request at a time, read-only.
    char program[] = "slow_folder", foreground[] = "-f", single[] = "-s", options[] = "-o",
         settings[] = "ro,default_permissions";
    char* fuseArgs[] = {program, foreground, single, options, settings, argv[2], nullptr};
    return fuse_main(6, fuseArgs, &operations, nullptr);
}

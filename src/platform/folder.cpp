#include "platform/folder.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qb::platform {
namespace {

constexpr std::string_view kNameLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kRandomLetters = 6;
constexpr int kHiddenNameTries = 100;

std::string randomLetters() {
    unsigned char bytes[kRandomLetters];
    if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        // No entropy yet (early boot): the clock and a counter still make clashes rare, and a clash only costs a try.
        static std::atomic<unsigned long> counter{0};
        unsigned long long mix =
            static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
            (++counter * 0x9E3779B97F4A7C15ULL);
        for (unsigned char& byte : bytes) {
            byte = static_cast<unsigned char>(mix);
            mix = (mix >> 8) | (mix << 56);
        }
    }
    std::string letters;
    for (unsigned char byte : bytes)
        letters.push_back(kNameLetters[byte % kNameLetters.size()]);
    return letters;
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

Descriptor openFolder(int base, const std::string& path) {
    const int fd = ::openat(base, path.c_str(), O_RDONLY | O_DIRECTORY | O_NOCTTY | O_CLOEXEC);
    // A folder that may be written and entered but not read still takes files by name; it only cannot be flushed.
    if (fd < 0 && errno == EACCES)
        return Descriptor(::openat(base, path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    return Descriptor(fd);
}

// Writes the bytes and closes the file; the first failure is the one told.
Status writeAndClose(Descriptor fd, std::string_view bytes) {
    const Status written = writeAll(fd.get(), bytes);
    const Status closed = closeChecked(std::move(fd));
    return written.ok() ? closed : written;
}

} // namespace

bool isPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           std::none_of(name.begin(), name.end(), [](char c) { return c == '\\' || c == '/' || c == '\0'; });
}

Folder::Folder(const std::string& path) : fd_(openFolder(AT_FDCWD, path)) {
    if (!fd_.valid())
        status_ = Status::failure(errno, "open folder");
}

Folder::Folder(const Folder& base, const std::string& path) : fd_(openFolder(base.descriptor(), path)) {
    if (!fd_.valid())
        status_ = Status::failure(errno, "open folder");
}

Folder Folder::within(int pathDescriptor) {
    Folder folder;
    folder.fd_ = openFolder(pathDescriptor, ".");
    if (!folder.fd_.valid())
        folder.status_ = Status::failure(errno, "open folder");
    return folder;
}

bool Folder::holdsFile(const std::string& name) const {
    if (name.empty() || name[0] == '.')
        return false;
    struct stat st {};
    return ::fstatat(descriptor(), name.c_str(), &st, 0) == 0 && S_ISREG(st.st_mode);
}

Status Folder::remove(const std::string& name) const {
    if (::unlinkat(descriptor(), name.c_str(), 0) != 0)
        return Status::failure(errno, "delete");
    return {};
}

Status Folder::createNew(const std::string& name, std::string_view bytes) const {
    Descriptor fd(::openat(descriptor(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd.valid())
        return Status::failure(errno, "create");
    Status status = writeAndClose(std::move(fd), bytes);
    if (!status.ok())
        (void)remove(name); // the failure above is the one to tell
    return status;
}

NewFile Folder::createHidden(std::string_view stem, std::string_view bytes) const {
    NewFile created = createHiddenFile(*this, stem, 0666);
    if (!created.status.ok())
        return created;
    created.status = writeAndClose(std::move(created.fd), bytes);
    if (!created.status.ok())
        (void)remove(created.name);
    return created;
}

Status Folder::sync() const {
    return syncChecked(descriptor(), "fsync folder");
}

Status Folder::lock(FolderLock kind) const {
    // A writer waits out a holder of the exclusive lock for a while, but never one that hangs: then it goes on without.
    constexpr auto kTry = std::chrono::milliseconds(20);
    const int tries = kind == FolderLock::Shared ? 100 : 1;
    const int operation = (kind == FolderLock::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    for (int attempt = 1;; ++attempt) {
        if (::flock(descriptor(), operation) == 0)
            return {};
        if (errno != EWOULDBLOCK || attempt == tries)
            return Status::failure(errno, "lock folder");
        std::this_thread::sleep_for(kTry);
    }
}

NewFile createHiddenFile(const Folder& folder, std::string_view stem, unsigned permissions) {
    NewFile created;
    for (int attempt = 0; attempt < kHiddenNameTries; ++attempt) {
        created.name.assign(1, '.');
        created.name.append(stem).append(1, '.').append(randomLetters());
        created.fd.reset(::openat(folder.descriptor(), created.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                                  static_cast<mode_t>(permissions)));
        if (created.fd.valid() || errno != EEXIST)
            break;
    }
    if (!created.fd.valid())
        created.status = Status::failure(errno, "create");
    return created;
}

bool isHiddenFileNameOf(std::string_view name, std::string_view stem) {
    const std::size_t size = 1 + stem.size() + 1 + kRandomLetters;
    if (name.size() != size || name.front() != '.' || name[1 + stem.size()] != '.')
        return false;
    const std::string_view letters = name.substr(size - kRandomLetters);
    return equalIgnoringAsciiCase(name.substr(1, stem.size()), stem) &&
           letters.find_first_not_of(kNameLetters) == std::string_view::npos;
}

Status syncChecked(int fd, const char* action) {
    if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return Status::failure(errno, action);
    return {};
}

Status writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Status::failure(errno, "write");
        }
        if (n == 0)
            return Status::failure(EIO, "write");
        done += static_cast<std::size_t>(n);
    }
    return {};
}

Status closeChecked(Descriptor fd) {
    if (::close(fd.release()) != 0 && errno != EINTR)
        return Status::failure(errno, "close");
    return {};
}

} // namespace qb::platform

#include "platform/read_only_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qb::platform {

ReadOnlyFile ReadOnlyFile::open(const std::string& path) {
    ReadOnlyFile file;
    // Non-blocking, so a named pipe with no writer or a device opens at once instead of waiting forever; what it
    // is, is asked of the descriptor, which stays the same thing whatever happens to the name afterwards.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        file.status_ = Status::failure(errno, "open");
        return file;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        file.status_ = Status::failure(EINVAL, "open (not an ordinary file)");
        return file;
    }
    file.fd_ = fd;
    file.owner_ = st.st_uid;
    file.size_ = static_cast<std::uint64_t>(st.st_size);
    return file;
}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), status_(std::move(other.status_)), owner_(other.owner_), size_(other.size_) {}

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

int ReadOnlyFile::release() {
    return std::exchange(fd_, -1);
}

Status ReadOnlyFile::readAll(std::string& bytes, std::size_t maxBytes) {
    bytes.clear();
    if (fd_ < 0)
        return status_;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Status::failure(errno, "read");
        }
        if (n == 0)
            return {};
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes)
            return Status::failure(EFBIG, "read");
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace qb::platform

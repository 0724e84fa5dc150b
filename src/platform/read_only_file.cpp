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
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid()) {
        file.status_ = Status::failure(errno, "open");
        return file;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        file.status_ = Status::failure(EINVAL, "open (not an ordinary file)");
        return file;
    }
    file.fd_ = std::move(fd);
    file.owner_ = st.st_uid;
    file.size_ = static_cast<std::uint64_t>(st.st_size);
    return file;
}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&&) noexcept = default;
ReadOnlyFile::~ReadOnlyFile() = default;

Descriptor ReadOnlyFile::release() {
    return std::move(fd_);
}

Status ReadOnlyFile::readAll(std::string& bytes, std::size_t maxBytes) {
    bytes.clear();
    if (!fd_.valid())
        return status_;
    return readRest(fd_.get(), bytes, maxBytes);
}

Status readRest(int fd, std::string& bytes, std::size_t maxBytes) {
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
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

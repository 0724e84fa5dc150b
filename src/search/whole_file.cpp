#include "search/whole_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qb::search {

int openWholeFile(int folder, const std::string& name) {
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat status {};
    const int error = ::fstat(fd, &status) != 0 ? errno : S_ISREG(status.st_mode) ? 0 : EINVAL;
    if (error == 0)
        return fd;
    ::close(fd);
    errno = error;
    return -1;
}

void readWholeFile(int folder, const std::string& name, WholeFile& file) {
    const int fd = openWholeFile(folder, name);
    readOpenFile(fd, file);
    if (fd >= 0)
        ::close(fd);
}

void readOpenFile(int fd, WholeFile& file) {
    char buffer[kMaxWholeFileBytes + 1];
    ssize_t n;
    do {
        n = ::pread(fd, buffer, sizeof buffer, 0);
    } while (n < 0 && errno == EINTR);
    takeRead(n, buffer, file);
}

void takeRead(long long result, const char* buffer, WholeFile& file) {
    file.bytes.clear();
    if (result < 0) {
        file.outcome = WholeFile::Outcome::Failed;
    } else if (static_cast<unsigned long long>(result) > kMaxWholeFileBytes) {
        file.outcome = WholeFile::Outcome::TooLarge;
    } else {
        file.outcome = WholeFile::Outcome::Read;
        file.bytes.assign(buffer, static_cast<std::size_t>(result));
    }
}

} // namespace qb::search

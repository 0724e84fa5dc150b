#include "readers/whole_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qb::readers {

// The reads of a walk go to the kernel directly: the C library's wrappers are points where a thread may be cancelled,
// and in a process of several threads each wraps its call in two atomic updates, which cost a warm walk a few in a
// hundred of its time. No thread of this program is ever cancelled. (The offset of pread64 takes one register on
// the 64-bit systems this is built for.)
static_assert(sizeof(long) == 8, "pread64 takes its offset in one register");

platform::Descriptor openWholeFile(int folder, const std::string& name) {
    return platform::Descriptor(
        static_cast<int>(::syscall(SYS_openat, folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)));
}

bool isOrdinaryFile(int fd) {
    struct stat status {};
    return ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

void readWholeFile(int folder, const std::string& name, WholeFile& file, const Sieve* sieve) {
    const platform::Descriptor fd = openWholeFile(folder, name);
    readOpenFile(fd.get(), file, sieve);
}

void readOpenFile(int fd, WholeFile& file, const Sieve* sieve) {
    char buffer[kMaxWholeFileBytes + 1];
    ssize_t n;
    do {
        n = ::syscall(SYS_pread64, fd, buffer, sizeof buffer, 0);
    } while (n < 0 && errno == EINTR);
    takeRead(n, buffer, file, sieve);
}

void takeRead(long long result, const char* buffer, WholeFile& file, const Sieve* sieve) {
    file.bytes.clear();
    if (result < 0) {
        file.kind = WholeFile::Kind::Failed;
    } else if (static_cast<unsigned long long>(result) > kMaxWholeFileBytes) {
        file.kind = WholeFile::Kind::TooLarge;
    } else if (const std::string_view bytes(buffer, static_cast<std::size_t>(result)); sieve && !(*sieve)(bytes)) {
        file.kind = WholeFile::Kind::PassedOver; // most files of a search: their bytes are not worth a copy
    } else {
        file.kind = WholeFile::Kind::Read;
        file.bytes.assign(bytes);
    }
}

} // namespace qb::readers

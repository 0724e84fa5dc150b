#pragma once
// A file descriptor with one owner, which closes it: the one way a descriptor is held, handed on or closed.

#include <cerrno>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

// GCC names ThreadSanitizer with __SANITIZE_THREAD__, clang with __has_feature.
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QUILLBOX_THREAD_SANITIZER 1
#endif
#endif

namespace qb::platform {

/** An open file descriptor, or none (-1), with one owner that closes it when it goes. It moves and never copies;
 *  release() gives the descriptor away. */
class Descriptor {
public:
    /** None. */
    Descriptor() = default;
    /** Takes a descriptor over; -1 for none. */
    explicit Descriptor(int fd) noexcept : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        reset(other.release());
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }

    /** The descriptor, still owned here; -1 when there is none. */
    [[nodiscard]] int get() const noexcept { return fd_; }
    /** Whether a descriptor is held. */
    [[nodiscard]] bool valid() const noexcept { return fd_ >= 0; }
    /** Gives the descriptor away, leaving none here: the caller closes it from now on. */
    [[nodiscard]] int release() noexcept { return std::exchange(fd_, -1); }

    /** Closes the descriptor held, if any, and takes fd over. errno is left as it was, so a failed open's reason
     *  outlives the closing of whatever was held before. */
    void reset(int fd = -1) noexcept {
        const int old = std::exchange(fd_, fd);
        if (old < 0)
            return;
        // Straight to the kernel, as the readers' opens and reads go (readers/whole_file.cpp): the C library's close
        // is a point where a thread may be cancelled, wrapped in two atomic updates in a process of several threads,
        // and the readers of a walk close a descriptor per file. No thread of this program is ever cancelled. A close
        // that fails still frees the descriptor; a written file whose close must be checked goes to closeChecked().
        // ThreadSanitizer follows descriptors through the C library's opens and closes: under it a close goes
        // through the C library, or a number opened there and used again would look like memory the threads share.
        const int saved = errno;
#if defined(__SANITIZE_THREAD__) || defined(QUILLBOX_THREAD_SANITIZER)
        ::close(old);
#else
        ::syscall(SYS_close, old);
#endif
        errno = saved;
    }

private:
    int fd_ = -1;
};

/** Opens a folder (a path of this system) only to name the files in it (O_PATH), so no read right on the folder is
 *  needed; none, with errno set, when it cannot be opened. */
[[nodiscard]] Descriptor openFolderPath(const std::string& path);

} // namespace qb::platform

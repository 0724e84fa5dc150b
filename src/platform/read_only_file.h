#pragma once
// Opening a file for reading without ever waiting: a named pipe or a device put where an ordinary file is expected
// is refused on the descriptor itself, so nothing can swap one in between a check and the open.

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

#include "platform/descriptor.h"
#include "platform/status.h"

namespace qb::platform {

/** An ordinary file open for reading; the descriptor is closed with the object. */
class ReadOnlyFile {
public:
    /** Opens the file without waiting (O_NONBLOCK) and checks the type of what it opened with fstat: anything but
     *  an ordinary file fails with EINVAL and is closed again at once. */
    [[nodiscard]] static ReadOnlyFile open(const std::string& path);

    ReadOnlyFile(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile& operator=(ReadOnlyFile&&) = delete;
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ~ReadOnlyFile();

    /** Whether the file is open. */
    [[nodiscard]] bool ok() const { return fd_.valid(); }
    /** Why the open failed; success when it did not. */
    [[nodiscard]] const Status& status() const { return status_; }
    /** The user id that owns the file. */
    [[nodiscard]] uid_t owner() const { return owner_; }
    /** The file's size when it was opened. */
    [[nodiscard]] std::uint64_t size() const { return size_; }
    /** Gives the descriptor away to its new owner. */
    [[nodiscard]] Descriptor release();
    /** Reads the rest of the file into bytes, at most maxBytes; EFBIG when there is more. */
    [[nodiscard]] Status readAll(std::string& bytes, std::size_t maxBytes);

private:
    ReadOnlyFile() = default;

    Descriptor fd_;
    Status status_;
    uid_t owner_ = 0;
    std::uint64_t size_ = 0;
};

/** Reads the rest of a descriptor's file, from its offset on, into bytes: at most maxBytes; EFBIG when there is more.
 */
[[nodiscard]] Status readRest(int fd, std::string& bytes, std::size_t maxBytes);

} // namespace qb::platform

#pragma once
// Reading a record-sized file whole in one read.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/descriptor.h"

namespace qb::readers {

/** The largest file read whole; a larger one is left to a streaming read. A rule, not a measurement: far above a
 *  record of ordinary length, and small enough that a sweeping reader's buffers (BatchReader::kMostFiles of this)
 *  take 4 MiB of address space. */
inline constexpr std::size_t kMaxWholeFileBytes = std::size_t{64} * 1024;

/** A file's content, read whole, or why it was not. */
struct [[nodiscard]] WholeFile {
    /** What the read gave. */
    enum class Kind {
        Read,       ///< bytes holds the whole file
        TooLarge,   ///< the file has more than kMaxWholeFileBytes
        Failed,     ///< the file could not be opened or read
        PassedOver, ///< read whole and found by the walk's sieve to hold nothing it looks for; bytes is empty
    };
    Kind kind = Kind::Failed;
    std::string bytes;
    [[nodiscard]] bool ok() const { return kind == Kind::Read; }
};

/** Whether a file's bytes may hold what a walk looks for; false lets the walk pass the file over unseen. It is
 *  called on the readers' threads, so it must only read what it shares. */
using Sieve = std::function<bool(std::string_view bytes)>;

/** Opens a file of a folder (an open descriptor) for reading without waiting for a writer, so that a pipe put in a
 *  file's place cannot hold the read up; its one read from offset 0 then fails (ESPIPE). The descriptor, or none with
 *  errno set. The type is left to isOrdinaryFile(): a warm walk cannot afford one more system call per file. */
[[nodiscard]] platform::Descriptor openWholeFile(int folder, const std::string& name);

/** Whether an open descriptor is an ordinary file: the test before a file too large for one read is read on. */
[[nodiscard]] bool isOrdinaryFile(int fd);

/** Reads a file of a folder (an open descriptor) whole into file, reusing the room its bytes have. A file read whole
 *  that the sieve (when there is one) refuses is passed over: its bytes are never copied into file. */
void readWholeFile(int folder, const std::string& name, WholeFile& file, const Sieve* sieve = nullptr);

/** Reads an open file whole from its start into file, as readWholeFile does, without moving its offset; a
 *  descriptor of -1 (a file that could not be opened) gives a failed read. */
void readOpenFile(int fd, WholeFile& file, const Sieve* sieve = nullptr);

/** Sets file from what one read of kMaxWholeFileBytes + 1 bytes into buffer gave (a byte count, or below zero for
 *  an error), passing over what the sieve (when there is one) refuses. A regular file's read returns less than it
 *  was asked for only at the file's end, so a short read is the whole file. */
void takeRead(long long result, const char* buffer, WholeFile& file, const Sieve* sieve = nullptr);

} // namespace qb::readers

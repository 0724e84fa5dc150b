#pragma once
// Reading many files of a folder at once. A cold read costs the kernel most for handing each request to the disk;
// reads submitted together through io_uring go to the disk together, at a fraction of that cost per file.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "readers/whole_file.h"

struct io_uring;

namespace qb::readers {

/** Reads batches of files whole, each batch's reads in flight together. */
class BatchReader {
public:
    /** The most files one batch holds: room for a sweep's batch (InodeSweep::kBatchFiles) twice over, at the cost of
     *  address space only, as the pages of a buffer never written stay unused. */
    static constexpr std::size_t kMostFiles = 64;

    /** A reader, or nothing when the system offers no io_uring (an old kernel, or one that forbids it here). */
    [[nodiscard]] static std::unique_ptr<BatchReader> create();
    ~BatchReader();
    BatchReader(const BatchReader&) = delete;
    BatchReader& operator=(const BatchReader&) = delete;

    /** Reads the named files of a folder (an open descriptor), at most kMostFiles of them, into files, one for each
     *  name in the same order, as readWholeFile would read it; a file the ring could not read (or that could not be
     *  opened, or is not an ordinary file) comes back failed, for the walk to read it itself. */
    void read(int folder, const std::vector<std::string>& names, std::vector<WholeFile>& files);

private:
    explicit BatchReader(std::unique_ptr<io_uring> ring);

    std::unique_ptr<io_uring> ring_;
    std::unique_ptr<char[]> buffers_; // kMostFiles buffers of kMaxWholeFileBytes + 1; pages never written stay unused
    bool broken_ = false;             // the ring refused a batch: every file is left to the walk from then on
};

} // namespace qb::readers

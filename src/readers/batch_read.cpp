#include "readers/batch_read.h"

#include <algorithm>
#include <cerrno>
#include <liburing.h>

namespace qb::readers {
namespace {

constexpr std::size_t kBufferBytes = kMaxWholeFileBytes + 1;

// A file of the batch as far as it has come.
struct Entry {
    platform::Descriptor fd; // open, or none; it closes as the batch ends, once no read of it is in flight
    bool read = false;       // read through the ring
};

} // namespace

std::unique_ptr<BatchReader> BatchReader::create() {
    auto ring = std::make_unique<io_uring>();
    // Every entry is submitted even when one of them fails, so none is left behind for a later batch.
    if (io_uring_queue_init(kMostFiles, ring.get(), IORING_SETUP_SUBMIT_ALL) < 0)
        return nullptr;
    return std::unique_ptr<BatchReader>(new BatchReader(std::move(ring)));
}

BatchReader::BatchReader(std::unique_ptr<io_uring> ring)
    : ring_(std::move(ring)), buffers_(new char[kMostFiles * kBufferBytes]) {}

BatchReader::~BatchReader() {
    io_uring_queue_exit(ring_.get());
}

void BatchReader::read(int folder, const std::vector<std::string>& names, std::vector<WholeFile>& files) {
    const std::size_t count = std::min(names.size(), kMostFiles);
    files.resize(count);
    Entry entries[kMostFiles];
    unsigned queued = 0;
    for (std::size_t i = 0; i < count; ++i) {
        entries[i].fd = openWholeFile(folder, names[i]);
        // Only ordinary files go through the ring; a pipe or a device is left to the walk, so that it cannot keep
        // the batch waiting.
        if (broken_ || !entries[i].fd.valid() || !isOrdinaryFile(entries[i].fd.get()))
            continue;
        io_uring_sqe* entry = io_uring_get_sqe(ring_.get());
        io_uring_prep_read(entry, entries[i].fd.get(), buffers_.get() + i * kBufferBytes, kBufferBytes, 0);
        io_uring_sqe_set_data64(entry, i);
        ++queued;
    }
    int submitted = 0;
    if (queued > 0) {
        do {
            submitted = io_uring_submit(ring_.get());
        } while (submitted == -EINTR);
    }
    if (submitted < 0 || static_cast<unsigned>(submitted) < queued) {
        // The ring refused the batch or a part of it. What it refused stays unsubmitted; the ring is not used again,
        // so none of it can go in flight later with a descriptor or a buffer that means something else by then.
        broken_ = true;
        submitted = std::max(submitted, 0);
    }
    for (int waiting = submitted; waiting > 0;) {
        io_uring_cqe* completion = nullptr;
        if (io_uring_wait_cqe(ring_.get(), &completion) < 0)
            continue; // interrupted while the reads are in flight: wait on
        const auto i = static_cast<std::size_t>(io_uring_cqe_get_data64(completion));
        const int result = completion->res;
        io_uring_cqe_seen(ring_.get(), completion);
        --waiting;
        takeRead(result, buffers_.get() + i * kBufferBytes, files[i]);
        entries[i].read = true;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (!entries[i].read)
            takeRead(-1, nullptr, files[i]); // left to the walk, which reads it itself
    }
}

} // namespace qb::readers

#include "readers/read_ahead.h"

#include <algorithm>
#include <dirent.h>
#include <sys/resource.h>
#include <system_error>

#include "readers/reader_threads.h"

namespace qb::readers {
namespace {

// What the window's contents may hold together before the readers wait; a batch that starts below it may take the
// contents over it by at most BatchReader::kBatch files of kMaxWholeFileBytes.
constexpr std::size_t kMaxHeldBytes = std::size_t{4} * 1024 * 1024;

// Descriptors left to the rest of the program when the readers start: the walk's own reads, the windows, dialogs.
constexpr std::size_t kReservedDescriptors = 16;

// A batch smaller than this is not worth a ring: readers of one file at a time take the few descriptors there are.
constexpr std::size_t kSmallestBatch = 4;

// The descriptors this process has open, or nothing when it cannot tell.
std::optional<std::size_t> openDescriptors() {
    DIR* listing = ::opendir("/proc/self/fd");
    if (listing == nullptr)
        return std::nullopt;
    std::size_t count = 0;
    while (const dirent* entry = ::readdir(listing))
        count += entry->d_name[0] != '.';
    ::closedir(listing);
    return count - 1; // the listing's own
}

} // namespace

std::size_t spareDescriptors() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 0;
    const rlim_t allowed = std::min<rlim_t>(limit.rlim_cur, SIZE_MAX);
    // Without the count, half the limit is taken as used.
    const rlim_t used = openDescriptors().value_or(allowed / 2) + kReservedDescriptors;
    return allowed > used ? static_cast<std::size_t>(allowed - used) : 0;
}

ReadAhead::ReadAhead(int folder, ReaderKind kind, unsigned threads, const std::optional<SweepOrder>& sweep)
    : folder_(folder) {
    const std::size_t spare = spareDescriptors();
    const bool sweeping = kind == ReaderKind::Batches && sweep;
    // Each batch reader holds its ring's descriptor besides the files of its batch, and the sweep one more while it
    // lists the folder.
    const std::size_t rings = kBatchReaders + (sweeping ? InodeSweep::kReaders : 0);
    const std::size_t forFiles = spare > rings + (sweeping ? 1 : 0) ? spare - rings - (sweeping ? 1 : 0) : 0;
    batchSize_ = std::min(BatchReader::kBatch, forFiles / rings);
    for (unsigned i = 0; kind == ReaderKind::Batches && batchSize_ >= kSmallestBatch && i < kBatchReaders; ++i)
        if (std::unique_ptr<BatchReader> reader = BatchReader::create())
            batchReaders_.push_back(std::move(reader));
    if (sweeping && !batchReaders_.empty())
        sweep_ = std::make_unique<InodeSweep>(folder, sweep->folderPath, sweep->pattern,
                                              std::min(InodeSweep::kBatch, batchSize_));
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, spare));
    try {
        for (const std::unique_ptr<BatchReader>& reader : batchReaders_)
            readers_.emplace_back([this, batch = reader.get()] { readLoop(batch); });
        for (unsigned i = 0; batchReaders_.empty() && i < threads; ++i)
            readers_.emplace_back([this] { readLoop(nullptr); });
    } catch (const std::system_error&) {
        // Fewer readers: the walk reads whatever none of them takes.
    }
}

ReadAhead::~ReadAhead() {
    endReaders(mutex_, stopping_, work_, readers_);
}

std::size_t ReadAhead::room() const {
    const std::lock_guard lock(mutex_);
    return slots_.size() > kWindow / 2 ? 0 : kWindow - slots_.size();
}

void ReadAhead::add(std::vector<std::string> names) {
    {
        const std::lock_guard lock(mutex_);
        for (std::string& name : names)
            slots_.push_back({std::move(name), State::Waiting, {}});
    }
    work_.notify_all();
}

std::optional<WholeFile> ReadAhead::take() {
    std::unique_lock lock(mutex_);
    if (slots_.front().state == State::Waiting) {
        // No reader got to it: reading it in the walk is quicker than waiting for one to be free.
        slots_.pop_front();
        nextRead_ = ++first_;
        return std::nullopt;
    }
    arrived_.wait(lock, [this] { return slots_.front().state == State::Read; });
    WholeFile content = std::move(slots_.front().content);
    const bool wasFull = heldBytes_ >= kMaxHeldBytes;
    heldBytes_ -= content.bytes.size();
    slots_.pop_front();
    ++first_;
    lock.unlock();
    if (wasFull)
        work_.notify_all(); // the bytes given back let the readers go on
    if (content.kind != WholeFile::Kind::Read)
        return std::nullopt; // too large to read whole, or not read at all: the walk reads it itself
    return content;
}

void ReadAhead::withReadersIdle(const std::function<void()>& work) {
    std::unique_lock lock(mutex_);
    paused_ = true; // the walk is between two questions, so the readers were not held
    idle_.wait(lock, [this] { return inFlight_ == 0; });
    lock.unlock();
    if (sweep_)
        sweep_->withReadersIdle(work);
    else
        work();
    lock.lock();
    paused_ = false;
    lock.unlock();
    work_.notify_all();
}

void ReadAhead::pause() {
    {
        const std::lock_guard lock(mutex_);
        paused_ = true;
    }
    if (sweep_)
        sweep_->pause();
}

void ReadAhead::resume() {
    {
        const std::lock_guard lock(mutex_);
        ++generation_;
        for (Slot& slot : slots_)
            slot = {std::move(slot.name), State::Waiting, {}};
        nextRead_ = first_;
        heldBytes_ = 0;
        paused_ = false;
    }
    work_.notify_all();
    if (sweep_)
        sweep_->resume();
}

bool ReadAhead::readerMayStart() const {
    return !paused_ && nextRead_ < first_ + slots_.size() && heldBytes_ < kMaxHeldBytes;
}

void ReadAhead::readLoop(BatchReader* batch) {
    const std::size_t most = batch ? batchSize_ : 1;
    std::vector<std::string> names;
    std::vector<WholeFile> contents(most);
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return stopping_ || readerMayStart(); });
        if (stopping_)
            return;
        // The reader takes the next files of the window that no one reads yet, in order.
        const std::uint64_t start = nextRead_;
        const std::uint64_t generation = generation_;
        names.clear();
        for (; names.size() < most && nextRead_ < first_ + slots_.size(); ++nextRead_) {
            Slot& slot = slots_[nextRead_ - first_];
            slot.state = State::Reading;
            names.push_back(slot.name);
        }
        ++inFlight_;
        lock.unlock();
        if (batch)
            batch->read(folder_, names, contents);
        else
            readWholeFile(folder_, names.front(), contents.front());
        lock.lock();
        if (--inFlight_ == 0)
            idle_.notify_all();
        // Dropped when resume() came meanwhile: the files were read before the user was asked.
        if (generation != generation_)
            continue;
        for (std::size_t i = 0; i < names.size(); ++i) {
            Slot& done = slots_[start + i - first_];
            heldBytes_ += contents[i].bytes.size();
            done.content = std::move(contents[i]);
            done.state = State::Read;
        }
        if (start == first_)
            arrived_.notify_one();
    }
}

} // namespace qb::readers

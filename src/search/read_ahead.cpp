#include "search/read_ahead.h"

#include <system_error>

namespace qb::search {
namespace {

// What the window's contents may hold together before the readers wait; a batch that starts below it may take the
// contents over it by at most BatchReader::kBatch files of kMaxWholeFileBytes.
constexpr std::size_t kMaxHeldBytes = std::size_t{4} * 1024 * 1024;

} // namespace

ReadAhead::ReadAhead(int folder, bool batches, unsigned threads) : folder_(folder) {
    for (unsigned i = 0; batches && i < kBatchReaders; ++i)
        if (std::unique_ptr<BatchReader> reader = BatchReader::create())
            batchReaders_.push_back(std::move(reader));
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
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    work_.notify_all();
    for (std::thread& reader : readers_)
        reader.join();
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

WholeFile ReadAhead::take() {
    std::unique_lock lock(mutex_);
    Slot& slot = slots_.front();
    if (slot.state == State::Waiting) {
        // No reader got to it: reading it here is quicker than waiting for one to be free.
        const std::string name = std::move(slot.name);
        slots_.pop_front();
        nextRead_ = ++first_;
        lock.unlock();
        WholeFile content;
        readWholeFile(folder_, name, content);
        return content;
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
    return content;
}

void ReadAhead::pause() {
    const std::lock_guard lock(mutex_);
    paused_ = true;
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
}

bool ReadAhead::readerMayStart() const {
    return !paused_ && nextRead_ < first_ + slots_.size() && heldBytes_ < kMaxHeldBytes;
}

void ReadAhead::readLoop(BatchReader* batch) {
    const std::size_t most = batch ? BatchReader::kBatch : 1;
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
        lock.unlock();
        if (batch)
            batch->read(folder_, names, contents);
        else
            readWholeFile(folder_, names.front(), contents.front());
        lock.lock();
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

} // namespace qb::search

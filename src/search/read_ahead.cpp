#include "search/read_ahead.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace qb::search {
namespace {

// What the window's contents may hold together; each file is at most kMaxWholeFileBytes, so a reader waits while
// this much is held.
constexpr std::size_t kMaxHeldBytes = std::size_t{4} * 1024 * 1024;

} // namespace

void readWholeFile(int folder, const std::string& name, WholeFile& file) {
    file.outcome = WholeFile::Outcome::Failed;
    file.bytes.clear();
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    // One read asks for a byte more than a whole file may have. A regular file's read returns less than it was
    // asked for only at the file's end, so a short read is the whole file.
    char buffer[kMaxWholeFileBytes + 1];
    ssize_t n;
    do {
        n = ::read(fd, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    if (n < 0)
        return;
    if (static_cast<std::size_t>(n) > kMaxWholeFileBytes) {
        file.outcome = WholeFile::Outcome::TooLarge;
        return;
    }
    file.outcome = WholeFile::Outcome::Read;
    file.bytes.assign(buffer, static_cast<std::size_t>(n));
}

ReadAhead::ReadAhead(int folder, unsigned threads) : folder_(folder) {
    try {
        for (unsigned i = 0; i < threads; ++i)
            readers_.emplace_back([this] { readLoop(); });
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

void ReadAhead::readLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return stopping_ || readerMayStart(); });
        if (stopping_)
            return;
        const std::uint64_t position = nextRead_++;
        const std::uint64_t generation = generation_;
        Slot& slot = slots_[position - first_];
        slot.state = State::Reading;
        const std::string name = slot.name;
        lock.unlock();
        WholeFile content;
        readWholeFile(folder_, name, content);
        lock.lock();
        // Dropped when resume() came meanwhile: the file was read before the user was asked.
        if (generation != generation_)
            continue;
        Slot& done = slots_[position - first_];
        heldBytes_ += content.bytes.size();
        done.content = std::move(content);
        done.state = State::Read;
        if (position == first_)
            arrived_.notify_one();
    }
}

} // namespace qb::search

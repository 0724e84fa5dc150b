#include "readers/inode_sweep.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <utility>

#include "platform/listing.h"
#include "readers/reader_threads.h"

namespace qb::readers {
namespace {

// How many names the listing takes between two checks of whether it is to hold or end. A rule, not a measurement:
// 256 names are a fraction of a millisecond of listing, so a pause or the end holds it up no longer than that.
constexpr std::size_t kListingStep = 256;

} // namespace

InodeSweep::InodeSweep(int folder, std::string folderPath, std::string pattern, std::size_t batchSize,
                       std::size_t pieceFiles)
    : folder_(folder), batchSize_(batchSize), pieceFiles_(std::max<std::size_t>(pieceFiles, 1)) {
    for (unsigned i = 0; i < kReaders; ++i)
        if (std::unique_ptr<BatchReader> reader = BatchReader::create())
            batchReaders_.push_back(std::move(reader));
    if (batchReaders_.empty())
        return;
    try {
        // The first reader lists the folder; the others wait for the list.
        readers_.emplace_back([this, folderPath = std::move(folderPath), pattern = std::move(pattern)] {
            list(folderPath, pattern);
            readLoop(*batchReaders_.front());
        });
        for (std::size_t i = 1; i < batchReaders_.size(); ++i)
            readers_.emplace_back([this, reader = batchReaders_[i].get()] { readLoop(*reader); });
    } catch (const std::system_error&) {
        // Fewer readers: the sweep is only a help.
    }
}

InodeSweep::~InodeSweep() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    taken_.notify_all(); // the lister may wait for the readers to take a piece
    endReaders(mutex_, stopping_, work_, readers_);
}

void InodeSweep::list(const std::string& folderPath, const std::string& pattern) {
    platform::WildcardListing listing(folderPath, pattern);
    std::string names;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> found; // inode, where the name begins in names
    std::vector<std::uint32_t> order;
    // Room for a whole piece at once, so that no piece copies itself as it grows; pages never written take no memory.
    names.reserve(pieceFiles_ * 16);
    found.reserve(pieceFiles_);
    order.reserve(pieceFiles_);
    for (bool more = true; more;) {
        names.clear();
        found.clear();
        while (found.size() < pieceFiles_) {
            std::optional<std::string> name = listing.next();
            if (!name) {
                more = false;
                break;
            }
            if (names.size() + name->size() >= UINT32_MAX)
                break; // four gigabytes of names in one piece: the sweep takes the first ones
            found.emplace_back(listing.lastInode(), static_cast<std::uint32_t>(names.size()));
            names += platform::diskName(*name);
            names += '\0';
            // Listing reads the disk too: it holds while the walk asks the user, and ends with the sweep.
            if (found.size() % kListingStep == 0) {
                std::unique_lock lock(mutex_);
                work_.wait(lock, [this] { return stopping_ || !paused_; });
                if (stopping_)
                    return;
            }
        }
        std::sort(found.begin(), found.end());
        order.clear();
        for (const auto& [inode, at] : found)
            order.push_back(at);
        if (!publish(names, order))
            return;
    }
}

bool InodeSweep::publish(std::string& names, std::vector<std::uint32_t>& order) {
    {
        std::unique_lock lock(mutex_);
        taken_.wait(lock, [this] { return stopping_ || next_ == order_.size(); });
        if (stopping_)
            return false;
        names_.swap(names); // the readers copied the names they took: the last piece's room is used again
        order_.swap(order);
        next_ = 0;
    }
    work_.notify_all();
    return true;
}

void InodeSweep::readLoop(BatchReader& reader) {
    std::vector<std::string> batch;
    std::vector<WholeFile> contents; // read and let go: the page cache keeps what counts
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return stopping_ || (!paused_ && next_ < order_.size()); });
        if (stopping_)
            return;
        batch.clear();
        for (const std::size_t end = std::min(order_.size(), next_ + batchSize_); next_ < end; ++next_)
            batch.emplace_back(names_.c_str() + order_[next_]);
        if (next_ == order_.size())
            taken_.notify_one();
        ++inFlight_;
        lock.unlock();
        reader.read(folder_, batch, contents);
        lock.lock();
        if (--inFlight_ == 0)
            idle_.notify_all();
    }
}

void InodeSweep::pause() {
    const std::lock_guard lock(mutex_);
    paused_ = true;
}

void InodeSweep::resume() {
    {
        const std::lock_guard lock(mutex_);
        paused_ = false;
    }
    work_.notify_all();
}

void InodeSweep::withReadersIdle(const std::function<void()>& work) {
    std::unique_lock lock(mutex_);
    const bool wasPaused = std::exchange(paused_, true);
    idle_.wait(lock, [this] { return inFlight_ == 0; });
    lock.unlock();
    work();
    lock.lock();
    paused_ = wasPaused;
    lock.unlock();
    work_.notify_all();
}

} // namespace qb::readers

#include "readers/read_ahead.h"

#include <algorithm>
#include <dirent.h>
#include <sched.h>
#include <sys/resource.h>
#include <system_error>
#include <unistd.h>
#include <utility>

#include "readers/reader_threads.h"

namespace qb::readers {
namespace {

// What the window's contents may hold together before the readers wait; files a reader takes while below it may
// take the contents over it by at most ReadAhead::kPartnerFiles files of kMaxWholeFileBytes. 4 MiB hold a full window
// of records of up to 8 KiB, and keep the window well inside the 16 MiB a search's peak memory may grow by.
constexpr std::size_t kMaxHeldBytes = std::size_t{4} * 1024 * 1024;

// Descriptors left to the rest of the program when the readers start: the walk's own reads, the windows, dialogs.
// A rule, not a measurement: room for the walk's own file and the few that windows and dialogs open.
constexpr std::size_t kReservedDescriptors = 16;

// A sweep's batch smaller than this is not worth its rings: readers of one file at a time take the few descriptors
// there are. A rule, not a measurement: with fewer files a batch, the rings' own descriptors take a large share.
constexpr std::size_t kSmallestBatch = 4;

// A content's room larger than this is given back when its file is taken, so that the window does not keep the room
// of the largest files read in each of its places. A rule: one page, which holds a typical record.
constexpr std::size_t kKeptRoom = 4096;

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

// Gives the calling thread a descriptor table of its own that holds only the folder. Threads that share one table
// make the kernel count and lock every open, read and close across them: two threads reading a warm folder so take
// some 40% more processor time than one thread alone, against some 15% with a table each. Where the system refuses,
// the thread goes on with the shared table.
void keepOwnDescriptors(int folder) {
    if (::unshare(CLONE_FILES) != 0)
        return;
    // The table's copy would keep every file, pipe and socket of the process open until the reader ends.
    if (folder > 0)
        ::close_range(0, static_cast<unsigned>(folder) - 1, 0);
    ::close_range(static_cast<unsigned>(folder) + 1, ~0U, 0);
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

unsigned usableCores() {
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (::sched_getaffinity(0, sizeof cores, &cores) != 0)
        return 1;
    return static_cast<unsigned>(CPU_COUNT(&cores));
}

ReadAhead::ReadAhead(int folder, ReaderKind kind, unsigned threads, const std::optional<SweepOrder>& sweep)
    : folder_(folder), ring_(kWindow) {
    const std::size_t spare = spareDescriptors();
    if (kind == ReaderKind::Sweep && sweep) {
        // Each sweeping reader holds its ring's descriptor and the files of its batch, and one more lists the folder
        // first.
        constexpr std::size_t rings = InodeSweep::kReaders;
        const std::size_t forFiles = spare > rings + 1 ? spare - rings - 1 : 0;
        const std::size_t batch = std::min(InodeSweep::kBatchFiles, forFiles / rings);
        if (batch >= kSmallestBatch)
            sweep_ = std::make_unique<InodeSweep>(folder, sweep->folderPath, sweep->pattern, batch);
        if (!sweep_ || !sweep_->sweeping())
            sweep_.reset();
    }
    if (kind == ReaderKind::Sweep && !sweep_)
        kind = ReaderKind::Threads;    // no io_uring here: many reads in flight are the next best thing
    if (kind != ReaderKind::Threads) { // a partner, or the sweep's follower
        threads = 1;
        filesPerRead_ = kPartnerFiles;
        walkReads_.resize(kWalkFiles);
    }
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, spare));
    try {
        for (unsigned i = 0; i < threads; ++i)
            readers_.emplace_back([this] { readLoop(); });
    } catch (const std::system_error&) {
        // Fewer readers: the walk reads whatever none of them takes.
    }
}

ReadAhead::~ReadAhead() {
    endReaders(mutex_, stopping_, work_, readers_);
}

std::size_t ReadAhead::room() const {
    // Only the walk's thread moves the window's ends.
    const std::size_t count = end_ - first_;
    return count > kWindow / 2 ? 0 : kWindow - count;
}

void ReadAhead::add(std::vector<ListedName> names) {
    {
        const std::lock_guard lock(mutex_);
        for (ListedName& name : names) {
            Slot& slot = slotAt(end_++);
            slot.name = std::move(name);
            slot.state = State::Waiting;
        }
    }
    work_.notify_all();
}

std::vector<ListedName> ReadAhead::window() const {
    const std::lock_guard lock(mutex_);
    std::vector<ListedName> names;
    names.reserve(end_ - first_);
    for (std::uint64_t position = first_; position < end_; ++position)
        names.push_back(ring_[position % kWindow].name);
    return names;
}

bool ReadAhead::awaitReadRun(const Slot& front) {
    std::unique_lock lock(mutex_);
    const bool wasFull = heldBytes_ >= kMaxHeldBytes;
    heldBytes_ -= std::exchange(released_, 0);
    if (wasFull)
        work_.notify_all(); // the bytes given back let the readers go on
    if (front.state == State::Waiting) {
        // No reader got to it: reading it in the walk is quicker than waiting for one to be free.
        nextRead_ = first_ + 1;
        return false;
    }
    // With a partner or a follower, the walk reads ahead itself rather than wait for it at its file.
    while (!walkReads_.empty() && front.state == State::Reading && readerMayStart())
        readNextInWalk(lock);
    arrived_.wait(lock, [&front] { return front.state == State::Read; });
    ready_ = first_ + 1;
    while (ready_ < end_ && slotAt(ready_).state == State::Read)
        ++ready_;
    return true;
}

const WholeFile* ReadAhead::take(ListedName& name) {
    Slot& front = slotAt(first_);
    const bool read = first_ < ready_ || awaitReadRun(front);
    // No reader touches the file now: the one that read it is done with it, and none starts on a file left to the
    // walk. Readers copy the names of the files they take as they take them.
    name = std::move(front.name);
    ++first_;
    if (!read)
        return nullptr;
    std::swap(taken_, front.content);
    if (front.content.bytes.capacity() > kKeptRoom)
        front.content.bytes = std::string();
    released_ += taken_.bytes.size();
    // Too large to read whole, or not read at all: the walk reads it itself.
    return taken_.kind == WholeFile::Kind::Read || taken_.kind == WholeFile::Kind::PassedOver ? &taken_ : nullptr;
}

void ReadAhead::readNextInWalk(std::unique_lock<std::mutex>& lock) {
    // Only the walk changes the window's names and calls resume(), so its slots stay as they are meanwhile.
    const std::uint64_t start = nextRead_;
    const Sieving sieving = sieving_;
    std::size_t files = 0;
    for (; files < walkReads_.size() && nextRead_ < end_; ++files)
        slotAt(nextRead_++).state = State::Reading;
    ++inFlight_;
    lock.unlock();
    for (std::size_t i = 0; i < files; ++i)
        readFile(slotAt(start + i).name.disk, walkReads_[i], sieving);
    lock.lock();
    --inFlight_;
    publish(start, walkReads_, files);
}

void ReadAhead::sieveWith(Sieve sieve) {
    const std::lock_guard lock(mutex_);
    if (sieving_ == Sieving::Off) {
        sieve_ = std::move(sieve);
        sieving_ = Sieving::On;
    }
}

void ReadAhead::readFile(const std::string& name, WholeFile& file, Sieving sieving) const {
    readWholeFile(folder_, name, file, sieving == Sieving::On ? &sieve_ : nullptr);
}

void ReadAhead::publish(std::uint64_t start, std::vector<WholeFile>& contents, std::size_t files) {
    for (std::size_t i = 0; i < files; ++i) {
        Slot& done = slotAt(start + i);
        heldBytes_ += contents[i].bytes.size();
        std::swap(done.content, contents[i]);
        done.state = State::Read;
    }
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

bool ReadAhead::resume() {
    // Only the walk's thread sets paused_, so it reads it here without the lock: a walk that runs without asking the
    // user resumes at every file.
    if (!paused_)
        return false;
    {
        const std::lock_guard lock(mutex_);
        ++generation_;
        for (std::uint64_t position = first_; position < end_; ++position)
            slotAt(position).state = State::Waiting;
        nextRead_ = first_;
        ready_ = first_;
        heldBytes_ = 0;
        released_ = 0;
        paused_ = false;
    }
    work_.notify_all();
    if (sweep_)
        sweep_->resume();
    return true;
}

bool ReadAhead::readerMayStart() const {
    return !paused_ && nextRead_ < end_ && heldBytes_ < kMaxHeldBytes;
}

void ReadAhead::readLoop() {
    if (!walkReads_.empty())
        keepOwnDescriptors(folder_);
    const std::size_t most = filesPerRead_;
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
        const Sieving sieving = sieving_;
        names.clear();
        for (; names.size() < most && nextRead_ < end_; ++nextRead_) {
            Slot& slot = slotAt(nextRead_);
            slot.state = State::Reading;
            names.push_back(slot.name.disk);
        }
        ++inFlight_;
        lock.unlock();
        for (std::size_t i = 0; i < names.size(); ++i)
            readFile(names[i], contents[i], sieving);
        lock.lock();
        if (--inFlight_ == 0)
            idle_.notify_all();
        // Dropped when resume() came meanwhile: the files were read before the user was asked.
        if (generation != generation_)
            continue;
        publish(start, contents, names.size());
        arrived_.notify_one(); // the walk may wait for one of these
    }
}

} // namespace qb::readers

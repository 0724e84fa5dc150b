#pragma once
// Reading the files of one folder ahead of a walk: a few reader threads keep many reads in flight, since on a cold
// disk or a network share the time goes into waiting for each file, one after another, rather than into the work
// done with it.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "readers/batch_read.h"
#include "readers/inode_sweep.h"
#include "readers/whole_file.h"

namespace qb::readers {

/** What a sweep of the folder in the order of its inodes (InodeSweep) needs: the folder's path and the pattern of
 *  the walk's listing. */
struct SweepOrder {
    std::string folderPath;
    std::string pattern;
};

/** How readers read ahead: batches of reads submitted together (io_uring), where the system allows it, or one file
 *  at a time, a thread each. */
enum class ReaderKind { Batches, Threads };

/** The descriptors the process can spare for readers now: its limit less those open and a reserve for the rest of
 *  the program, the walk's own reads among them. */
[[nodiscard]] std::size_t spareDescriptors();

/**
 * A window of the files a walk is about to take, in its order, read ahead by reader threads, each taking a batch of
 * files at a time or one file at a time. The walk (one thread) adds the names it lists and takes them back from the
 * front with their contents. What the readers leave to it (a file no reader has started on yet, so that the walk
 * never waits for a reader that is busy elsewhere, or one that a reader could not open or read whole), the walk
 * reads itself. Memory stays bounded by the window's length and by the bytes it may hold, descriptors by what the
 * process can spare when the readers start. The destructor stops the readers and waits for the reads in flight, so
 * nothing is read once it returns.
 */
class ReadAhead {
public:
    /** How many names the window holds at most. */
    static constexpr std::size_t kWindow = 512;

    /** How many readers take batches. */
    static constexpr unsigned kBatchReaders = 2;

    /** Starts readers over a folder (an open descriptor that must outlive this object): kBatchReaders that read
     *  batches when kind is Batches and the system can read them, else threads readers of one file at a time;
     *  as many descriptors as spareDescriptors() gives at most. With batches and a sweep order, an InodeSweep of
     *  the folder too, which shares the descriptors. When the system refuses a thread, or no descriptor is spare,
     *  fewer read, or none, and the walk reads the rest itself. */
    ReadAhead(int folder, ReaderKind kind, unsigned threads, const std::optional<SweepOrder>& sweep = std::nullopt);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    /** How many names the window takes now: none while it is more than half full, so that names come in batches
     *  and the readers wake once for many files. */
    [[nodiscard]] std::size_t room() const;
    /** Puts the next names of the walk (as the folder spells them) at the end of the window. */
    void add(std::vector<std::string> names);
    /** Takes the first name of the window and gives its content, read whole; nothing when the walk is to read that
     *  file itself, or waits for the reader that is at it. The window must not be empty. */
    [[nodiscard]] std::optional<WholeFile> take();
    /** Runs work while no reader holds a descriptor: the readers finish what they are reading and wait meanwhile. */
    void withReadersIdle(const std::function<void()>& work);
    /** Holds the readers: no read starts until resume(). Reads in flight still finish. */
    void pause();
    /** Forgets every content read so far, so that each file still in the window is read again, and lets the readers
     *  go on. After the user was asked, the files are read as they stand then. */
    void resume();

private:
    enum class State { Waiting, Reading, Read };
    struct Slot {
        std::string name;
        State state = State::Waiting;
        WholeFile content;
    };

    void readLoop(BatchReader* batch);         // batch: nothing for a reader of one file at a time
    [[nodiscard]] bool readerMayStart() const; // with mutex_ held

    const int folder_;
    std::size_t batchSize_ = 1; // the files a reader of batches takes at a time
    mutable std::mutex mutex_;
    std::condition_variable work_;    // a reader may start a read, or must stop
    std::condition_variable arrived_; // the first slot was read
    std::condition_variable idle_;    // no read is in flight
    std::deque<Slot> slots_;
    std::uint64_t first_ = 0;      // the walk's position of slots_.front()
    std::uint64_t nextRead_ = 0;   // the position of the next slot to read: slots before it are being read or read
    std::uint64_t generation_ = 0; // counts resume(); a read begun before one is dropped
    std::size_t heldBytes_ = 0;    // a reader starts while less than kMaxHeldBytes is held, so a batch may go over
    unsigned inFlight_ = 0;        // readers reading now
    bool paused_ = false;
    bool stopping_ = false;
    std::vector<std::unique_ptr<BatchReader>> batchReaders_;
    std::vector<std::thread> readers_;
    std::unique_ptr<InodeSweep> sweep_; // declared last: it ends first
};

} // namespace qb::readers

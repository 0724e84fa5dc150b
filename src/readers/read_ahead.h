#pragma once
// Reading the files of one folder ahead of a walk: a few reader threads keep many reads in flight, since on a cold
// disk or a network share the time goes into waiting for each file, one after another, rather than into the work
// done with it.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "readers/inode_sweep.h"
#include "readers/whole_file.h"

namespace qb::readers {

/** What a sweep of the folder in the order of its inodes (InodeSweep) needs: the folder's path and the pattern of
 *  the walk's listing. */
struct SweepOrder {
    std::string folderPath;
    std::string pattern;
};

/** Who reads a window ahead of a walk. */
enum class ReaderKind {
    Threads, ///< many threads, each with one read in flight: for a network share, where every open is a round trip
    Partner, ///< one thread that reads the next files of the window many at a time while the walk, rather than wait
             ///< for the one it is at, reads a few that no one has started on: for a warm folder, on a second core
    Sweep,   ///< a sweep of the folder into the page cache in the order of its inodes, which a local disk reads far
             ///< faster than the listing's order, and a follower reading the window behind it as a partner does
};

/** Whether reads pass over the files that the sieve refuses. */
enum class Sieving { Off, On };

/** A file of the window by its two names. */
struct ListedName {
    std::string listed; ///< as the listing gives it (Windows-1252)
    std::string disk;   ///< as the folder spells it, to open it by
};

/** The cores this process may run on. */
[[nodiscard]] unsigned usableCores();

/** The descriptors the process can spare for readers now: its limit less those open and a reserve for the rest of
 *  the program, the walk's own reads among them. */
[[nodiscard]] std::size_t spareDescriptors();

/**
 * A window of the files a walk is about to take, in its order, read ahead by reader threads, each taking many files
 * at a time or one file at a time. The walk (one thread) adds the names it lists and takes them back from the
 * front with their contents. What the readers leave to it (a file no reader has started on yet, so that the walk
 * never waits for a reader that is busy elsewhere, or one that a reader could not open or read whole), the walk
 * reads itself. Memory stays bounded by the window's length and by the bytes it may hold, descriptors by what the
 * process can spare when the readers start. The destructor stops the readers and waits for the reads in flight, so
 * nothing is read once it returns.
 */
class ReadAhead {
public:
    /** How many names the window holds at most: with 512 rather than 256, one slow file holds the readers behind it
     *  up less, and the window's contents stay within kMaxHeldBytes all the same. */
    static constexpr std::size_t kWindow = 512;

    /** How many files a partner (or a follower) takes at a time, and how many the walk reads itself when the partner
     *  is at the one it needs: the partner's many, so that it wakes once for many files, the walk's few, so that it
     *  is soon back at files read for it. With these the warm walk and its partner read 100,000 records in 113 to
     *  115 ms (211 to 214 ms of processor time), against 181 to 224 ms for the walk alone. */
    static constexpr std::size_t kPartnerFiles = 128;
    static constexpr std::size_t kWalkFiles = 8;

    /** Starts readers over a folder (an open descriptor that must outlive this object): threads readers of one file
     *  at a time, a partner, or a sweep with the sweep order and its follower (where the system gives the sweep no
     *  io_uring, or no sweep order is given, threads readers instead); as many descriptors as spareDescriptors()
     *  gives at most. When the system refuses a thread, or no descriptor is spare, fewer read, or none, and the walk
     *  reads the rest itself. */
    ReadAhead(int folder, ReaderKind kind, unsigned threads, const std::optional<SweepOrder>& sweep = std::nullopt);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    /** How many names the window takes now: none while it is more than half full, so that names come in batches
     *  and the readers wake once for many files. */
    [[nodiscard]] std::size_t room() const;
    /** Puts the next names of the walk at the end of the window: at most room(), or kWindow into an empty
     *  window. */
    void add(std::vector<ListedName> names);
    /** Whether the window holds no name. */
    [[nodiscard]] bool empty() const { return end_ == first_; } // only the walk's thread moves them
    /** The names in the window, in order: for readers that take the window over from these. */
    [[nodiscard]] std::vector<ListedName> window() const;
    /** From now on, each file read whole that the sieve refuses is handed over as passed over, so that the sieving
     *  is done on the readers' cores and the walk does not touch the file's bytes. Called once at most. */
    void sieveWith(Sieve sieve);
    /** Takes the first file of the window, its names moved into name, and gives its content, read whole or passed
     *  over, valid until the next take(); nothing when the walk is to read that file itself. Waits for the reader
     *  that is at it (with a partner or a follower, it reads the next files no reader has started on meanwhile). The
     *  window must not be empty. */
    [[nodiscard]] const WholeFile* take(ListedName& name);
    /** Runs work while no reader holds a descriptor: the readers finish what they are reading and wait meanwhile. */
    void withReadersIdle(const std::function<void()>& work);
    /** Holds the readers: no read starts until resume(). Reads in flight still finish. */
    void pause();
    /** After pause(), forgets every content read so far, so that each file still in the window is read again, lets
     *  the readers go on and gives true: after the user was asked, the files are read as they stand then. Else
     *  nothing, and false. */
    [[nodiscard]] bool resume();

private:
    enum class State { Waiting, Reading, Read };
    // A place of the window. The places are kept from file to file, and contents are swapped between them, the
    // readers and the walk, so that the room of their bytes is used again: one thread's allocation freed by another
    // would make the threads wait for each other in the allocator.
    struct Slot {
        ListedName name;
        State state = State::Waiting;
        WholeFile content;
    };
    [[nodiscard]] Slot& slotAt(std::uint64_t position) { return ring_[position % kWindow]; }

    void readLoop();
    // Waits until the window's first file is read, and notes the files read after it in order, for take() to take
    // them without the lock; false when no reader has started on the first file, which the walk then reads itself.
    [[nodiscard]] bool awaitReadRun(const Slot& front);
    void readNextInWalk(std::unique_lock<std::mutex>& lock); // the walk reads the next files no one has started on
    // Reads a file whole, passed over when sieving and the sieve refuses it; sieving is as sieving_ was when the
    // read began.
    void readFile(const std::string& name, WholeFile& file, Sieving sieving) const;
    // Hands files read from start on to their places, swapping their contents in; with mutex_ held.
    void publish(std::uint64_t start, std::vector<WholeFile>& contents, std::size_t files);
    [[nodiscard]] bool readerMayStart() const; // with mutex_ held

    const int folder_;
    std::size_t filesPerRead_ = 1;     // the files a reader takes at a time, read one after another
    std::vector<WholeFile> walkReads_; // with a partner or a follower, what the walk reads of files none started on
    WholeFile taken_;                  // what take() gave last
    Sieve sieve_;                      // set once, under mutex_, before sieving_
    Sieving sieving_ = Sieving::Off;   // readers and walk pass over what the sieve refuses
    mutable std::mutex mutex_;
    std::condition_variable work_;    // a reader may start a read, or must stop
    std::condition_variable arrived_; // the first slot was read
    std::condition_variable idle_;    // no read is in flight
    std::vector<Slot> ring_;          // kWindow places; the window is those from first_ to end_
    std::uint64_t first_ = 0;         // the walk's position of the window's first file; the walk's thread's alone
    std::uint64_t ready_ = 0;         // the files from first_ to here are read; the walk's thread's alone
    std::size_t released_ = 0;        // bytes taken since heldBytes_ was last brought down; the walk's thread's alone
    std::uint64_t end_ = 0;           // the position after the window's last file; only the walk's thread moves it
    std::uint64_t nextRead_ = 0;      // the position of the next slot to read: slots before it are being read or read
    std::uint64_t generation_ = 0;    // counts resume(); a read begun before one is dropped
    std::size_t heldBytes_ = 0; // a reader starts while less than kMaxHeldBytes is held, so what one takes may go over
    unsigned inFlight_ = 0;     // readers reading now
    bool paused_ = false;
    bool stopping_ = false;
    std::vector<std::thread> readers_;
    std::unique_ptr<InodeSweep> sweep_; // declared last: it ends first
};

} // namespace qb::readers

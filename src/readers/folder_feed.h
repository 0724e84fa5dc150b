#pragma once
// The files of one folder that a pattern lists, handed out one after another in the listing's order with their bytes,
// and every choice of how they are read: by the feed alone, with a partner, by reader threads, with the folder swept
// in inode order, as the folder's file system and the speed of its reads call for.
//
// The words of the readers, one a thing:
//   walk      the thread that takes the listed files one after another: the feed's caller
//   window    the next listed files, at most ReadAhead::kWindow, that readers read ahead of the walk
//   partner   the one reader thread that shares a warm local folder's window with the walk, on a second core
//   sweep     the readers (InodeSweep) that read a cold local folder into the page cache in the order of its inodes
//   follower  the one reader thread that reads the window behind a sweep, in the listing's order, as a partner does
//   threads   many reader threads of one file at a time: a share's readers, or where the system gives no io_uring
//   batch     the files a sweeping reader hands to io_uring together
//   group     the files the slow-read watch times together, by one clock read
//   look      the groups after which the watch looks at what the process read from the disk
//   sample    the files over which the feed measures how densely the listing gives names
//   sieve     the caller's test of a file's bytes; a file it refuses is handed out passed over, without them

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/descriptor.h"
#include "platform/listing.h"
#include "readers/read_ahead.h"
#include "readers/slow_read_watch.h"
#include "readers/whole_file.h"

namespace qb::readers {

/** When a feed reads files ahead of the one it hands out. */
enum class ReadAheadMode {
    Off,      ///< never: each file is read when it is asked for
    WhenSlow, ///< on a network share or a file system in user space from the start, elsewhere from the moment the
              ///< feed's reads turn slow (a cold disk, a slow device)
    Always,   ///< from the start
};

/** How a feed reads; the files, their contents and their order are the same in every mode. */
struct FeedOptions {
    ReadAheadMode readAhead = ReadAheadMode::WhenSlow;
    /** How reading ahead on a local disk reads: a sweep and its follower, or threads. A network share or a file
     *  system in user space is read by threads whatever this says: each open there is a round trip of its own. */
    ReaderKind localReaders = ReaderKind::Sweep;
    /** Threads when reading ahead by threads, each with one read in flight: over the cold folder of 100,000 records
     *  32 threads read as fast as 64 (1.35 to 1.45 s), and over a share they keep 32 round trips in flight. */
    unsigned threads = 32;
};

/** One listed file as a feed hands it out. */
struct FeedFile {
    std::string name;          ///< as the listing gives it (Windows-1252)
    const WholeFile* content;  ///< read whole, passed over by the sieve, too large or failed; valid until the next call
    platform::Descriptor rest; ///< an ordinary file too large to read whole, open at its start to be read on; else none
};

/**
 * Hands out the files that a pattern lists in a folder, in the order the folder yields them, each read whole (or
 * found too large for that, or unreadable), never as it stood before the last pause. The folder is listed once,
 * through one listing that stays open across pauses.
 *
 * On a local disk with a second core, once the pattern is seen to list names densely, a partner shares the reads of
 * the window with the feed. Where files are slow to come (a share from the start, a local disk from the moment the
 * feed's reads turn slow), the window is read ahead by reader threads, many reads in flight, or on a local disk by a
 * follower while a sweep reads the whole folder into the page cache in the order of its inodes. What the readers
 * could not open or read whole (the process short of descriptors, a file too large), the feed reads itself when it
 * hands it out. Nothing read ahead outlives a pause: no read starts until resume(), which forgets whatever was read
 * before. The readers end with the feed.
 */
class FolderFeed {
public:
    /** Starts feeding the files that pattern (wildcards of the listing) selects in folder (a path of this system); a
     *  folder that cannot be opened gives no file. While sieving, the sieve tells which files read whole may hold
     *  what the caller looks for; it runs on the readers' threads too. */
    FolderFeed(std::string folder, std::string pattern, FeedOptions options, Sieve sieve);
    ~FolderFeed();
    FolderFeed(const FolderFeed&) = delete;
    FolderFeed& operator=(const FolderFeed&) = delete;

    /** The next listed file, or nothing when the listing is used up. Sieving, a file read whole that the sieve
     *  refuses is handed out passed over, without its bytes; from the first call that sieves on, the readers sieve as
     *  they read. */
    [[nodiscard]] std::optional<FeedFile> next(Sieving sieving);

    /** Holds the readers while the caller asks the user: no read starts until resume(); reads in flight finish. */
    void pause();
    /** After pause(), forgets what was read ahead, so that every file is read as it stands now, and lets the readers
     *  go on; else nothing. */
    void resume();

private:
    // Who reads the files, and what the feed watches for; a feed only moves down this list.
    enum class Stage {
        Alone,     // the feed reads every file itself, for good: reading ahead is off
        Watching,  // the feed reads every file itself, its reads watched for turning slow
        Sampling,  // as Watching, and the listing's density sampled, for a partner to join once it is dense
        Partnered, // a partner shares the window's reads, the reads still watched
        Ahead,     // threads, or a sweep and its follower, read the window ahead, for good
    };

    [[nodiscard]] std::optional<FeedFile> nextFromWindow(Sieving sieving);
    [[nodiscard]] platform::Descriptor readHere(const std::string& diskName, Sieving sieving);
    [[nodiscard]] FeedFile handOut(std::string name, const WholeFile* content, platform::Descriptor fd,
                                   Sieving sieving) const;
    void startReadAhead();
    void sampleListing();
    void startReaders(ReaderKind kind, unsigned threads, const std::optional<SweepOrder>& sweep);

    // A partner joins once the listing has read at most kEntriesPerFile entries per file over a sample: a pattern
    // that lists a tenth of the folder's names or more. A full search reads 1 entry a file, the 1% filter 100, and
    // with a partner from its start the filter took 1.1 to 1.7 ms (a twentieth of it) more over 100,000 records. A
    // sample of 64 files, so that a run of names the pattern passes over does not keep the partner from a dense walk,
    // which reads those 64 files alone in about 0.15 ms (2 to 3 µs a file).
    static constexpr std::uint64_t kEntriesPerFile = 10;
    static constexpr int kSampleFiles = 64;

    const FeedOptions options_;
    const std::string folderPath_;
    const std::string pattern_;
    platform::WildcardListing listing_;
    platform::Descriptor folder_; // the listed folder, open, for reading its files by name
    const FolderKind kind_;       // the file system that holds the folder
    const Sieve sieve_;
    WholeFile content_;    // the file the feed read itself, reused, so its room is not allocated per file
    WholeFile passedOver_; // what a file the sieve refused is handed out as
    SlowReadWatch watch_;  // whether the files handed out have turned slow
    Stage stage_ = Stage::Alone;
    int sampleFiles_ = 0;             // Sampling: files the feed read since the sample began
    std::uint64_t sampleEntries_ = 0; // Sampling: the listing's entries read when it began
    // Not stages, as they come and go in any stage: whether the caller has sieved yet (the readers sieve from then
    // on) and whether the listing gave no more names to fill the window with (asked again at an empty window and
    // after a pause).
    Sieving sieving_ = Sieving::Off;
    bool listingEnded_ = false;
    std::unique_ptr<ReadAhead> readAhead_; // declared after folder_: its readers end before the folder closes
};

} // namespace qb::readers

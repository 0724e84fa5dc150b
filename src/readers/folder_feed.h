#pragma once
// The files of one folder that a pattern lists, handed out one after another in the listing's order with their bytes,
// and every choice of how they are read: by the feed alone, with a reader beside it, by reader threads, with the
// folder swept in inode order, as the folder's file system and the speed of its reads call for.

#include <chrono>
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
    /** How reading ahead on a local disk reads: a reader alongside the feed, with the folder swept in inode order,
     *  or threads. A network share or a file system in user space is read by threads whatever this says: each open
     *  there is a round trip of its own. */
    ReaderKind localReaders = ReaderKind::Alongside;
    unsigned threads = 32; ///< reader threads when reading ahead by threads, each with one read in flight
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
 * On a local disk with a second core, once the pattern is seen to list names densely, one reader shares the reads of
 * a window of the next files with the feed. Where files are slow to come (a share from the start, a local disk from
 * the moment the feed's reads turn slow), the window is read ahead by reader threads, many reads in flight, and on a
 * local disk the whole folder is swept into the page cache in the order of its inodes beside them. What the readers
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
    [[nodiscard]] std::optional<FeedFile> nextFromWindow(Sieving sieving);
    [[nodiscard]] platform::Descriptor readHere(const std::string& diskName, Sieving sieving);
    [[nodiscard]] FeedFile handOut(std::string name, const WholeFile* content, platform::Descriptor fd,
                                   Sieving sieving) const;
    void startReadAhead();
    void considerReaderBeside();
    void noteRead();

    // A reader beside the feed starts once the listing has read at most so many entries per file for the last
    // kFilesPerLook files the feed read itself: a pattern that lists a tenth of the folder's names or more.
    static constexpr std::uint64_t kEntriesPerFileBeside = 10;
    static constexpr int kFilesPerLook = 64;

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
    int groupFiles_ = 0;   // files of the group timed for watch_
    std::chrono::steady_clock::time_point groupStart_;
    bool userAsked_ = false;          // pause() came since the last file was timed: the group starts again
    bool readerMayJoin_ = false;      // a reader beside the feed starts when the listing gives names densely
    int filesSinceLook_ = 0;          // files the feed read itself since the listing's density was last looked at
    std::uint64_t entriesAtLook_ = 0; // the listing's entries read then
    bool warmReader_ = false;         // readAhead_ is the one reader beside a feed whose reads are quick
    bool listingEnded_ = false;       // the listing gave no more names to fill the window with
    bool sifting_ = false;            // the readers pass over what the sieve refuses
    bool paused_ = false;
    std::unique_ptr<ReadAhead> readAhead_; // declared after folder_: its readers end before the folder closes
};

} // namespace qb::readers

#pragma once
// The walk over a data directory that both the search and the reminder check make: one listing, kept open while
// the caller asks the user, each listed file read as a record and closed before it is handed out.

#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/drive_map.h"
#include "platform/listing.h"
#include "readers/read_ahead.h"
#include "readers/slow_read_watch.h"
#include "search/search_criteria.h"
#include "store/field_reader.h"
#include "store/record_file.h"

namespace qb::search {

/** One listed file as the walk read it. */
struct ListedFile {
    std::string number;    ///< the file's name, the record number of a record file (Windows-1252)
    bool readable = false; ///< whether the file could be read as a record; an unreadable one never matches
    bool matches = false;  ///< whether the record matches the criteria
    store::Record record;  ///< both fields as read, not upper-cased; empty when the file was not readable
};

/** How the readers ahead of a walk read on a local disk. */
using readers::ReaderKind;

/** When a walk reads files ahead of the one it is at. */
enum class ReadAheadMode {
    Off,      ///< never: each file is read when the walk reaches it
    WhenSlow, ///< on a network share or a file system in user space from the start, elsewhere from the moment the
              ///< walk's own reads turn slow (a cold disk, a slow device)
    Always,   ///< from the start
};

/** How a walk reads its files; the files, their contents and their order are the same in every mode. */
struct WalkOptions {
    ReadAheadMode readAhead = ReadAheadMode::WhenSlow;
    /** How reading ahead on a local disk reads: a reader alongside the walk, with the folder swept in inode order,
     *  or threads. A network share or a file system in user space is read by threads whatever this says: each open
     *  there is a round trip of its own. */
    ReaderKind localReaders = ReaderKind::Alongside;
    unsigned threads = 32; ///< reader threads when reading ahead by threads, each with one read in flight
};

/**
 * Walks the files a pattern selects, in the order the folder yields them. The pattern's folder is mapped onto
 * the file system once; each file is opened, read by two field reads and closed before the walk returns it.
 * A file that cannot be opened, holds fewer than two fields or a field too long is not a record: it is passed over
 * and the walk goes on. A file of two fields is a record whatever bytes they hold, NUL included.
 *
 * On a local disk with a second core, one reader shares the reads of a window of the next files with the walk. Where
 * files are slow to come, the walk reads that window ahead with reader threads, many reads in flight. Nothing read
 * ahead outlives a question to the user: next() holds the readers while its match is out, and the next call reads the
 * window again, so each file is seen as it stands when the walk reaches it. What the readers could not open or read
 * whole (the process short of descriptors, a file too large), the walk reads itself when it reaches it; only its own
 * failure makes a file unreadable. The readers end with the walk.
 */
class RecordWalk {
public:
    /** Starts a walk over the files that pattern (a program path whose last component may hold wildcards)
     *  selects. A folder that does not exist gives an empty walk. */
    RecordWalk(const platform::DriveMap& drives, std::string_view pattern, SearchCriteria criteria,
               WalkOptions options = {});
    ~RecordWalk();
    RecordWalk(const RecordWalk&) = delete;
    RecordWalk& operator=(const RecordWalk&) = delete;

    /** The next listed file, matching or not, or nothing when the listing is used up. For a walk that runs without
     *  asking the user: files read ahead while earlier ones were handed out are used as read. */
    [[nodiscard]] std::optional<ListedFile> nextFile();

    /** The next listed file that matches, or nothing when the listing is used up. For a walk that asks the user
     *  after each match: nothing is read while the match is out, and nothing read before is used after it. */
    [[nodiscard]] std::optional<ListedFile> next();

private:
    RecordWalk(const platform::DriveMap& drives, std::pair<std::string, std::string> folderAndName,
               SearchCriteria criteria, WalkOptions options);

    /** Which records a step of the walk reads whole: every one, or only those that may match (the others are
     *  handed out as not matching, without their fields). */
    enum class Wanted { EveryRecord, Matches };

    [[nodiscard]] std::optional<ListedFile> advance(Wanted wanted);
    [[nodiscard]] std::optional<ListedFile> advanceReadingAhead(Wanted wanted);
    [[nodiscard]] int readItself(const std::string& name);
    [[nodiscard]] ListedFile listedFile(std::string number, const readers::WholeFile& content, int fd, Wanted wanted);
    void startReadAhead();
    void siftReadAhead();
    void noteOwnRead();

    SearchCriteria criteria_;
    WalkOptions options_;
    std::string path_;        // the mapped folder and "/", followed by the current name
    std::size_t folderSize_;  // where the name starts in path_
    std::string namePattern_; // the last component of the walk's pattern
    platform::WildcardListing listing_;
    int folder_;                   // the listed folder, open, for reading its files by name
    store::FieldReader reader_;    // reused, so its buffer is not allocated per file
    readers::WholeFile content_;   // the file the walk read itself, reused likewise
    bool matchOut_ = false;        // next() handed out a match and the user may have been asked since
    readers::FolderKind kind_;     // the file system that holds the folder
    readers::SlowReadWatch watch_; // whether the files the walk reads itself have turned slow
    int groupFiles_ = 0;           // files of the group the walk is timing for watch_
    std::chrono::steady_clock::time_point groupStart_;
    std::unique_ptr<readers::ReadAhead> readAhead_;
    std::deque<std::string> windowNumbers_; // the record numbers of the files in readAhead_'s window
    bool listingEnded_ = false;             // the listing gave no more names to fill the window with
    bool sifting_ = false;                  // only matches are wanted: the readers pass over what cannot match
    bool warmReader_ = false;               // readAhead_ is the one reader beside a walk whose reads are quick
};

} // namespace qb::search

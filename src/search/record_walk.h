#pragma once
// The walk over a data directory that both the search and the reminder check make: one listing, kept open while
// the caller asks the user, each listed file read as a record and closed before it is handed out.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/drive_map.h"
#include "readers/folder_feed.h"
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

/**
 * Walks the files a pattern selects, in the order the folder yields them. The pattern's folder is mapped onto
 * the file system once; each file is opened, read by two field reads and closed before the walk returns it.
 * A file that cannot be opened, holds fewer than two fields or a field too long is not a record: it is passed over
 * and the walk goes on. A file of two fields is a record whatever bytes they hold, NUL included.
 *
 * The files come from a readers::FolderFeed, which chooses how they are read. Nothing read ahead outlives a question
 * to the user: next() pauses the feed while its match is out, and the next call reads again what was read before.
 */
class RecordWalk {
public:
    /** Starts a walk over the files that pattern (a program path whose last component may hold wildcards)
     *  selects, read as options say (the files, their contents and their order are the same whatever they say). A
     *  folder that does not exist gives an empty walk. */
    RecordWalk(const platform::DriveMap& drives, std::string_view pattern, SearchCriteria criteria,
               readers::FeedOptions options = {});
    ~RecordWalk();
    RecordWalk(const RecordWalk&) = delete;
    RecordWalk& operator=(const RecordWalk&) = delete;

    /** The next listed file, matching or not, or nothing when the listing is used up. For a walk that runs without
     *  asking the user: files read ahead while earlier ones were handed out are used as read. */
    [[nodiscard]] std::optional<ListedFile> nextFile();

    /** The next listed file that matches, or nothing when the listing is used up. For a walk that asks the user
     *  after each match: nothing is read while the match is out, and nothing read before is used after it. */
    [[nodiscard]] std::optional<ListedFile> next();

    /** The next listed file, or nothing when the listing is used up, for a walk that wants the matches only and asks
     *  no one: a file that cannot match comes back unread, as not readable, so the caller may stop between any two
     *  files. Files read ahead are used as read. */
    [[nodiscard]] std::optional<ListedFile> nextSieved();

private:
    RecordWalk(const platform::DriveMap& drives, std::pair<std::string, std::string> folderAndName,
               SearchCriteria criteria, readers::FeedOptions options);

    [[nodiscard]] std::optional<ListedFile> advance(readers::Sieving sieving);
    [[nodiscard]] ListedFile listedFile(readers::FeedFile fed);

    SearchCriteria criteria_;
    store::FieldReader reader_; // reused for files too large to read whole, so its buffer is not allocated per file
    readers::FolderFeed feed_;  // declared last: its readers, which test files against criteria_, end first
};

} // namespace qb::search

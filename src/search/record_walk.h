#pragma once
// The walk over a data directory that both the search and the reminder check make: one listing, kept open while
// the caller asks the user, each listed file read as a record and closed before it is handed out.

#include <optional>
#include <string>
#include <string_view>

#include "platform/drive_map.h"
#include "platform/listing.h"
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
 * A file that cannot be opened, holds fewer than two fields, a field too long or a NUL byte (a binary file) is
 * not a record: it is passed over and the walk goes on.
 */
class RecordWalk {
public:
    /** Starts a walk over the files that pattern (a program path whose last component may hold wildcards)
     *  selects. A folder that does not exist gives an empty walk. */
    RecordWalk(const platform::DriveMap& drives, std::string_view pattern, SearchCriteria criteria);

    /** The next listed file, matching or not, or nothing when the listing is used up. */
    std::optional<ListedFile> nextFile();

    /** The next listed file that matches, or nothing when the listing is used up. */
    std::optional<ListedFile> next();

private:
    RecordWalk(const platform::DriveMap& drives, std::pair<std::string, std::string> folderAndName,
               SearchCriteria criteria);

    SearchCriteria criteria_;
    std::string path_;       // the mapped folder and "/", followed by the current name
    std::size_t folderSize_; // where the name starts in path_
    platform::WildcardListing listing_;
    store::FieldReader reader_; // reused, so its buffer is not allocated per file
};

} // namespace qb::search

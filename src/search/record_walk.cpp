#include "search/record_walk.h"

#include <utility>

namespace qb::search {

using readers::Sieving;

namespace {

std::string folderOf(const platform::DriveMap& drives, const std::string& folderPart) {
    std::string folder = drives.resolve(folderPart);
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

RecordWalk::RecordWalk(const platform::DriveMap& drives, std::string_view pattern, SearchCriteria criteria,
                       readers::FeedOptions options)
    : RecordWalk(drives, platform::splitLastComponent(pattern), std::move(criteria), options) {}

// The feed's readers test whether a file may match as they read it, on their own cores.
RecordWalk::RecordWalk(const platform::DriveMap& drives, std::pair<std::string, std::string> folderAndName,
                       SearchCriteria criteria, readers::FeedOptions options)
    : criteria_(std::move(criteria)),
      feed_(folderOf(drives, folderAndName.first), std::move(folderAndName.second), options,
            [this](std::string_view bytes) { return mayMatch(criteria_, bytes); }) {}

RecordWalk::~RecordWalk() = default;

// A file the feed passed over, or one it could not read, is not readable; one too large to read whole is read on
// from the descriptor the feed hands over.
ListedFile RecordWalk::listedFile(readers::FeedFile fed) {
    ListedFile file;
    file.number = std::move(fed.name);
    store::ReadResult read;
    if (fed.content->ok()) {
        store::FieldReader bytes(fed.content->bytes);
        read = store::readRecord(bytes);
    } else if (fed.rest.valid()) {
        reader_.adopt(std::move(fed.rest));
        read = store::readRecord(reader_);
        reader_.close();
    }
    file.readable = read.ok();
    if (file.readable) {
        file.record = std::move(read.record);
        file.matches = matches(criteria_, file.record);
    }
    return file;
}

std::optional<ListedFile> RecordWalk::advance(Sieving sieving) {
    std::optional<readers::FeedFile> fed = feed_.next(sieving);
    if (!fed)
        return std::nullopt;
    return listedFile(std::move(*fed));
}

std::optional<ListedFile> RecordWalk::nextFile() {
    feed_.resume(); // after a match the user was asked: whatever was read before is read again
    return advance(Sieving::Off);
}

// Only matches are wanted: the feed passes over what cannot match, most files of a search.
std::optional<ListedFile> RecordWalk::nextSieved() {
    feed_.resume();
    return advance(Sieving::On);
}

std::optional<ListedFile> RecordWalk::next() {
    while (std::optional<ListedFile> file = nextSieved()) {
        if (file->matches) {
            // The user is asked now; the readers wait, and what they read so far is read again afterwards.
            feed_.pause();
            return file;
        }
    }
    return std::nullopt;
}

} // namespace qb::search

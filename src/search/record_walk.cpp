#include "search/record_walk.h"

#include <algorithm>

#include "platform/cp1252.h"

namespace qb::search {
namespace {

bool holdsNul(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

// Appends a listed name to a POSIX path; names are stored as UTF-8, and most are plain ASCII record numbers.
void appendPathName(std::string& path, const std::string& name) {
    const bool ascii =
        std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        path += name;
    else
        path += platform::cp1252ToUtf8(name);
}

std::string folderOf(const platform::DriveMap& drives, const std::string& folderPart) {
    std::string folder = drives.resolve(folderPart);
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

RecordWalk::RecordWalk(const platform::DriveMap& drives, std::string_view pattern, SearchCriteria criteria)
    : RecordWalk(drives, platform::splitLastComponent(pattern), std::move(criteria)) {}

RecordWalk::RecordWalk(const platform::DriveMap& drives, std::pair<std::string, std::string> folderAndName,
                       SearchCriteria criteria)
    : criteria_(std::move(criteria)), path_(folderOf(drives, folderAndName.first)), folderSize_(path_.size()),
      listing_(path_, std::move(folderAndName.second)) {}

std::optional<ListedFile> RecordWalk::nextFile() {
    std::optional<std::string> name = listing_.next();
    if (!name)
        return std::nullopt;
    ListedFile file;
    file.number = std::move(*name);
    path_.resize(folderSize_);
    appendPathName(path_, file.number);
    store::RecordRead read = store::readRecordFile(reader_, path_);
    file.readable = read.ok() && !holdsNul(read.record.reminderDate) && !holdsNul(read.record.text);
    if (file.readable) {
        file.record = std::move(read.record);
        file.matches = matches(criteria_, file.record);
    }
    return file;
}

std::optional<ListedFile> RecordWalk::next() {
    while (std::optional<ListedFile> file = nextFile()) {
        if (file->matches)
            return file;
    }
    return std::nullopt;
}

} // namespace qb::search

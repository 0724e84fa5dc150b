#include "search/record_walk.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "platform/cp1252.h"

namespace qb::search {
namespace {

// How many files the walk reads itself between two looks at whether they came from the disk.
constexpr int kFilesPerProbe = 32;

// A listed name as the folder spells it: names are stored as UTF-8, and most are plain ASCII record numbers.
std::string diskName(const std::string& name) {
    const bool ascii =
        std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii ? name : platform::cp1252ToUtf8(name);
}

std::string folderOf(const platform::DriveMap& drives, const std::string& folderPart) {
    std::string folder = drives.resolve(folderPart);
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

// The blocks the calling thread has read from the disk so far; the page cache's hits do not count.
long diskReadsOfThisThread() {
    rusage usage{};
    return ::getrusage(RUSAGE_THREAD, &usage) == 0 ? usage.ru_inblock : 0;
}

} // namespace

RecordWalk::RecordWalk(const platform::DriveMap& drives, std::string_view pattern, SearchCriteria criteria,
                       WalkOptions options)
    : RecordWalk(drives, platform::splitLastComponent(pattern), std::move(criteria), options) {}

RecordWalk::RecordWalk(const platform::DriveMap& drives, std::pair<std::string, std::string> folderAndName,
                       SearchCriteria criteria, WalkOptions options)
    : criteria_(std::move(criteria)), options_(options), path_(folderOf(drives, folderAndName.first)),
      folderSize_(path_.size()), listing_(path_, std::move(folderAndName.second)),
      folder_(::open(path_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)), diskReads_(diskReadsOfThisThread()) {
    if (options_.readAhead == ReadAheadMode::Always)
        readAhead_ = std::make_unique<ReadAhead>(folder_, options_.batches, options_.threads);
}

RecordWalk::~RecordWalk() {
    readAhead_.reset(); // its readers stop before the folder they read closes
    if (folder_ >= 0)
        ::close(folder_);
}

// A file that cannot match is left unread when only matches are wanted: most files of a search are.
ListedFile RecordWalk::listedFile(std::string number, WholeFile& content, bool matchesOnly) {
    ListedFile file;
    file.number = std::move(number);
    if (matchesOnly && content.outcome == WholeFile::Outcome::Read && !mayMatch(criteria_, content.bytes))
        return file;
    store::RecordRead read;
    if (content.outcome == WholeFile::Outcome::Read) {
        store::FieldReader bytes(content.bytes);
        read = store::readRecord(bytes);
    } else if (content.outcome == WholeFile::Outcome::TooLarge) {
        path_.resize(folderSize_);
        path_ += diskName(file.number);
        read = store::readRecordFile(reader_, path_);
    }
    file.readable = read.ok();
    if (file.readable) {
        file.record = std::move(read.record);
        file.matches = matches(criteria_, file.record);
    }
    return file;
}

void RecordWalk::startReadAheadWhenSlow() {
    if (options_.readAhead != ReadAheadMode::WhenSlow || ++filesSinceProbe_ < kFilesPerProbe)
        return;
    filesSinceProbe_ = 0;
    const long diskReads = diskReadsOfThisThread();
    if (diskReads > diskReads_)
        readAhead_ = std::make_unique<ReadAhead>(folder_, options_.batches, options_.threads);
    diskReads_ = diskReads;
}

std::optional<ListedFile> RecordWalk::nextFile() {
    return advance(false);
}

std::optional<ListedFile> RecordWalk::advance(bool matchesOnly) {
    if (matchOut_) {
        matchOut_ = false;
        if (readAhead_) {
            readAhead_->resume();
            listingEnded_ = false;
        }
    }
    if (!readAhead_) {
        std::optional<std::string> name = listing_.next();
        if (!name)
            return std::nullopt;
        readWholeFile(folder_, diskName(*name), content_);
        ListedFile file = listedFile(std::move(*name), content_, matchesOnly);
        startReadAheadWhenSlow();
        return file;
    }
    // At the end of the window the listing is asked again, as a walk without one would ask it.
    if (windowNumbers_.empty())
        listingEnded_ = false;
    if (const std::size_t room = listingEnded_ ? 0 : readAhead_->room()) {
        std::vector<std::string> names;
        while (names.size() < room) {
            std::optional<std::string> name = listing_.next();
            if (!name) {
                listingEnded_ = true;
                break;
            }
            names.push_back(diskName(*name));
            windowNumbers_.push_back(std::move(*name));
        }
        readAhead_->add(std::move(names));
    }
    if (windowNumbers_.empty())
        return std::nullopt;
    std::string number = std::move(windowNumbers_.front());
    windowNumbers_.pop_front();
    WholeFile content = readAhead_->take();
    return listedFile(std::move(number), content, matchesOnly);
}

std::optional<ListedFile> RecordWalk::next() {
    while (std::optional<ListedFile> file = advance(true)) {
        if (file->matches) {
            // The user is asked now; the readers wait, and what they read so far is read again afterwards.
            if (readAhead_)
                readAhead_->pause();
            matchOut_ = true;
            return file;
        }
    }
    return std::nullopt;
}

} // namespace qb::search

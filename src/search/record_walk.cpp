#include "search/record_walk.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace qb::search {

using readers::FolderKind;
using readers::ReadAhead;
using readers::SlowReadWatch;
using readers::WholeFile;

namespace {

std::string folderOf(const platform::DriveMap& drives, const std::string& folderPart) {
    std::string folder = drives.resolve(folderPart);
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

// Closes a descriptor at the end of a scope unless it was handed on.
class OwnedDescriptor {
public:
    explicit OwnedDescriptor(int fd) : fd_(fd) {}
    ~OwnedDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
    [[nodiscard]] int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

} // namespace

RecordWalk::RecordWalk(const platform::DriveMap& drives, std::string_view pattern, SearchCriteria criteria,
                       WalkOptions options)
    : RecordWalk(drives, platform::splitLastComponent(pattern), std::move(criteria), options) {}

RecordWalk::RecordWalk(const platform::DriveMap& drives, std::pair<std::string, std::string> folderAndName,
                       SearchCriteria criteria, WalkOptions options)
    : criteria_(std::move(criteria)), options_(options), path_(folderOf(drives, folderAndName.first)),
      folderSize_(path_.size()), namePattern_(std::move(folderAndName.second)), listing_(path_, namePattern_),
      folder_(::open(path_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)), kind_(readers::folderKind(folder_)),
      groupStart_(std::chrono::steady_clock::now()) {
    // On a share every file is a round trip: reading ahead pays from the first one. On a local disk, where files
    // come at once from the page cache, one reader shares the reads with the walk on a second core, until the reads
    // turn slow.
    if (options_.readAhead == ReadAheadMode::Always ||
        (options_.readAhead == ReadAheadMode::WhenSlow && kind_ == FolderKind::Remote))
        startReadAhead();
    else if (options_.readAhead == ReadAheadMode::WhenSlow && folder_ >= 0 && readers::usableCores() > 1) {
        readAhead_ = std::make_unique<ReadAhead>(folder_, ReaderKind::Alongside, 1);
        warmReader_ = true;
    }
}

RecordWalk::~RecordWalk() {
    readAhead_.reset(); // its readers stop before the folder they read closes
    if (folder_ >= 0)
        ::close(folder_);
}

void RecordWalk::startReadAhead() {
    // On a local disk the folder is also swept in the order of its inodes, which the disk reads far faster than
    // the listing's order; a share gains nothing from it.
    const ReaderKind readerKind = kind_ == FolderKind::Local ? options_.localReaders : ReaderKind::Threads;
    // The reader alongside the walk ends first; the new readers take its window over, to read it again.
    std::vector<std::string> window;
    window.reserve(windowNumbers_.size());
    for (const std::string& number : windowNumbers_)
        window.push_back(platform::diskName(number));
    readAhead_.reset();
    warmReader_ = false;
    readAhead_ = std::make_unique<ReadAhead>(folder_, readerKind, options_.threads,
                                             readers::SweepOrder{path_.substr(0, folderSize_), namePattern_});
    readAhead_->add(std::move(window));
    if (sifting_)
        siftReadAhead();
}

// Opens a file and reads it whole into content_; the descriptor stays open (or is -1), so that a file too large to
// read whole is read on from it. Short of descriptors while readers hold some, the walk waits for them to let go.
int RecordWalk::readItself(const std::string& name) {
    int fd = readers::openWholeFile(folder_, name);
    if (fd < 0 && (errno == EMFILE || errno == ENFILE) && readAhead_)
        readAhead_->withReadersIdle([&] { fd = readers::openWholeFile(folder_, name); });
    readOpenFile(fd, content_);
    return fd;
}

// A file that cannot match is left unread when only matches are wanted: most files of a search are.
ListedFile RecordWalk::listedFile(std::string number, const WholeFile& content, int fd, Wanted wanted) {
    OwnedDescriptor descriptor(fd);
    ListedFile file;
    file.number = std::move(number);
    if (content.kind == WholeFile::Kind::PassedOver)
        return file; // the readers' sieve found that it cannot match
    if (wanted == Wanted::Matches && content.kind == WholeFile::Kind::Read && !mayMatch(criteria_, content.bytes))
        return file;
    store::ReadResult read;
    if (content.kind == WholeFile::Kind::Read) {
        store::FieldReader bytes(content.bytes);
        read = store::readRecord(bytes);
    } else if (content.kind == WholeFile::Kind::TooLarge && readers::isOrdinaryFile(fd)) {
        reader_.adopt(descriptor.release()); // read from its start: the whole read left the offset there
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

// Times the files the walk reads itself, or takes from the reader alongside it, in groups, a clock read per group:
// reads that turned slow start the readers.
void RecordWalk::noteOwnRead() {
    if (++groupFiles_ < SlowReadWatch::kGroup)
        return;
    groupFiles_ = 0;
    const auto now = std::chrono::steady_clock::now();
    if (watch_.slowAfterGroup(now - groupStart_))
        startReadAhead();
    groupStart_ = now;
}

std::optional<ListedFile> RecordWalk::nextFile() {
    return advance(Wanted::EveryRecord);
}

std::optional<ListedFile> RecordWalk::advance(Wanted wanted) {
    if (matchOut_) {
        matchOut_ = false;
        if (readAhead_) {
            readAhead_->resume();
            listingEnded_ = false;
        }
    }
    if (warmReader_) {
        std::optional<ListedFile> file = advanceReadingAhead(wanted);
        noteOwnRead(); // the files the walk takes, whoever read them: reads that turned slow start the readers
        return file;
    }
    if (readAhead_)
        return advanceReadingAhead(wanted);
    std::optional<std::string> name = listing_.next();
    if (!name)
        return std::nullopt;
    const int fd = readItself(platform::diskName(*name));
    ListedFile file = listedFile(std::move(*name), content_, fd, wanted);
    if (options_.readAhead == ReadAheadMode::WhenSlow)
        noteOwnRead();
    return file;
}

std::optional<ListedFile> RecordWalk::advanceReadingAhead(Wanted wanted) {
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
            names.push_back(platform::diskName(*name));
            windowNumbers_.push_back(std::move(*name));
        }
        readAhead_->add(std::move(names));
    }
    if (windowNumbers_.empty())
        return std::nullopt;
    std::string number = std::move(windowNumbers_.front());
    windowNumbers_.pop_front();
    const WholeFile* content = readAhead_->take();
    if (content && content->kind == WholeFile::Kind::PassedOver && wanted == Wanted::EveryRecord)
        content = nullptr; // every record is wanted whole now
    const int fd = content ? -1 : readItself(platform::diskName(number));
    return listedFile(std::move(number), content ? *content : content_, fd, wanted);
}

// The readers test whether a file may match as they read it, on their own cores.
void RecordWalk::siftReadAhead() {
    readAhead_->siftWith([this](std::string_view bytes) { return mayMatch(criteria_, bytes); });
}

std::optional<ListedFile> RecordWalk::next() {
    if (!std::exchange(sifting_, true) && readAhead_)
        siftReadAhead();
    while (std::optional<ListedFile> file = advance(Wanted::Matches)) {
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

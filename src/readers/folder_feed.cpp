#include "readers/folder_feed.h"

#include <cerrno>
#include <utility>
#include <vector>

namespace qb::readers {

FolderFeed::FolderFeed(std::string folder, std::string pattern, FeedOptions options, Sieve sieve)
    : options_(options), folderPath_(std::move(folder)), pattern_(std::move(pattern)), listing_(folderPath_, pattern_),
      folder_(platform::openFolderPath(folderPath_)), kind_(folderKind(folder_.get())),
      sieve_(std::move(sieve)), passedOver_{WholeFile::Kind::PassedOver, {}} {
    // On a share every file is a round trip: reading ahead pays from the first one. On a local disk, where files
    // come at once from the page cache, a partner may share the reads with the feed on a second core, until the
    // reads turn slow.
    if (options_.readAhead == ReadAheadMode::Always ||
        (options_.readAhead == ReadAheadMode::WhenSlow && kind_ == FolderKind::Remote))
        startReadAhead();
    else if (options_.readAhead == ReadAheadMode::WhenSlow)
        stage_ = folder_.valid() && usableCores() > 1 ? Stage::Sampling : Stage::Watching;
}

FolderFeed::~FolderFeed() = default;

void FolderFeed::startReaders(ReaderKind kind, unsigned threads, const std::optional<SweepOrder>& sweep) {
    readAhead_ = std::make_unique<ReadAhead>(folder_.get(), kind, threads, sweep);
    if (sieving_ == Sieving::On)
        readAhead_->sieveWith(sieve_);
}

void FolderFeed::startReadAhead() {
    // On a local disk the folder is also swept in the order of its inodes, which the disk reads far faster than
    // the listing's order; a share gains nothing from it.
    const ReaderKind readerKind = kind_ == FolderKind::Local ? options_.localReaders : ReaderKind::Threads;
    // A partner ends first; the new readers take its window over, to read it again.
    std::vector<ListedName> window = readAhead_ ? readAhead_->window() : std::vector<ListedName>();
    readAhead_.reset();
    startReaders(readerKind, options_.threads, SweepOrder{folderPath_, pattern_});
    readAhead_->add(std::move(window));
    stage_ = Stage::Ahead;
}

// A partner pays where the feed's time goes to reading files. Where the pattern lists few of the folder's names, it
// goes to the listing: the reads are few and far between, and handing them over to a partner on another core costs
// more processor time than it saves the feed.
void FolderFeed::sampleListing() {
    if (++sampleFiles_ < kSampleFiles)
        return;
    const std::uint64_t entries = listing_.entriesRead();
    const bool dense = entries - sampleEntries_ <= kEntriesPerFile * kSampleFiles;
    sampleFiles_ = 0;
    sampleEntries_ = entries;
    if (!dense)
        return;
    startReaders(ReaderKind::Partner, 1, std::nullopt);
    stage_ = Stage::Partnered;
}

// Opens a file and reads it whole into content_, passed over when sieving and the sieve refuses it; the descriptor is
// handed back open (or none), so that a file too large to read whole is read on from it. Short of descriptors while
// readers hold some, the feed waits for them to let go.
platform::Descriptor FolderFeed::readHere(const std::string& diskName, Sieving sieving) {
    platform::Descriptor fd = openWholeFile(folder_.get(), diskName);
    if (!fd.valid() && (errno == EMFILE || errno == ENFILE) && readAhead_)
        readAhead_->withReadersIdle([&] { fd = openWholeFile(folder_.get(), diskName); });
    readOpenFile(fd.get(), content_, sieving == Sieving::On ? &sieve_ : nullptr);
    return fd;
}

// A file that cannot hold what is looked for is handed out without its bytes when sieving: most files of a search
// are. The descriptor of any other file closes here.
FeedFile FolderFeed::handOut(std::string name, const WholeFile* content, platform::Descriptor fd,
                             Sieving sieving) const {
    if (sieving == Sieving::On && content->kind == WholeFile::Kind::Read && !sieve_(content->bytes))
        return {std::move(name), &passedOver_, {}};
    if (content->kind == WholeFile::Kind::TooLarge && isOrdinaryFile(fd.get()))
        return {std::move(name), content, std::move(fd)}; // at its start: the whole read left the offset there
    return {std::move(name), content, {}};
}

std::optional<FeedFile> FolderFeed::next(Sieving sieving) {
    // The readers test whether a file may match as they read it, on their own cores.
    if (sieving == Sieving::On && std::exchange(sieving_, Sieving::On) == Sieving::Off && readAhead_)
        readAhead_->sieveWith(sieve_);
    // Noted before the file is taken, whoever reads it: the readers that slow reads start end a partner, and with it
    // what it read.
    const bool watched = stage_ == Stage::Watching || stage_ == Stage::Sampling || stage_ == Stage::Partnered;
    if (watched && watch_.noteFile())
        startReadAhead();
    if (readAhead_)
        return nextFromWindow(sieving);
    std::optional<std::string> name = listing_.next();
    if (!name)
        return std::nullopt;
    platform::Descriptor fd = readHere(platform::diskName(*name), sieving);
    FeedFile file = handOut(std::move(*name), &content_, std::move(fd), sieving);
    if (stage_ == Stage::Sampling)
        sampleListing();
    return file;
}

std::optional<FeedFile> FolderFeed::nextFromWindow(Sieving sieving) {
    // At the end of the window the listing is asked again, as a feed without one would ask it.
    if (readAhead_->empty())
        listingEnded_ = false;
    if (const std::size_t room = listingEnded_ ? 0 : readAhead_->room()) {
        std::vector<ListedName> names;
        names.reserve(room);
        while (names.size() < room) {
            std::optional<std::string> name = listing_.next();
            if (!name) {
                listingEnded_ = true;
                break;
            }
            std::string disk = platform::diskName(*name);
            names.push_back({std::move(*name), std::move(disk)});
        }
        readAhead_->add(std::move(names));
    }
    if (readAhead_->empty())
        return std::nullopt;
    ListedName name;
    const WholeFile* content = readAhead_->take(name);
    if (content && content->kind == WholeFile::Kind::PassedOver && sieving == Sieving::Off)
        content = nullptr; // every file is wanted whole now
    if (content)
        return handOut(std::move(name.listed), content, {}, sieving);
    platform::Descriptor fd = readHere(name.disk, sieving);
    return handOut(std::move(name.listed), &content_, std::move(fd), sieving);
}

void FolderFeed::pause() {
    watch_.userAsked();
    if (readAhead_)
        readAhead_->pause();
}

void FolderFeed::resume() {
    if (readAhead_ && readAhead_->resume())
        listingEnded_ = false;
}

} // namespace qb::readers

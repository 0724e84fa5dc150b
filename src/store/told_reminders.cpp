#include "store/told_reminders.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/files.h"
#include "platform/home_folder.h"
#include "platform/read_only_file.h"
#include "platform/safe_write.h"

namespace qb::store {
namespace {

constexpr std::string_view kFirstLine = "quillbox reminders told, 1";
constexpr std::string_view kHex = "0123456789ABCDEF";
// Begins the one field that stands for a folder's told records as a digest; escaped() never writes it.
constexpr std::string_view kDigestMark = "%SET:";

bool mustBeEscaped(unsigned char byte) {
    return byte <= ' ' || byte > '~' || byte == '%';
}

std::string escaped(std::string_view field) {
    std::string out;
    for (const char c : field) {
        const auto byte = static_cast<unsigned char>(c);
        if (mustBeEscaped(byte)) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

int hexValue(char c) {
    const std::size_t at = kHex.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

// A field as written by escaped(); nothing when it was not written so.
std::optional<std::string> unescaped(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto byte = static_cast<unsigned char>(field[i]);
        if (byte != '%') {
            if (mustBeEscaped(byte))
                return std::nullopt;
            out += field[i];
            continue;
        }
        const bool whole = i + 2 < field.size();
        const int high = whole ? hexValue(field[i + 1]) : -1;
        const int low = whole ? hexValue(field[i + 2]) : -1;
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high << 4 | low);
        i += 2;
    }
    if (out.empty())
        return std::nullopt;
    return out;
}

// The fields of a line, split at single spaces.
std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0; start <= line.size();) {
        const std::size_t end = std::min(line.find(' ', start), line.size());
        fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

// The lock of the turn: a file of the state folder that only the user may open, so that no other user can hold it.
constexpr const char* kTurnFile = ".turn";
// How often a waiting run asks for the lock again.
constexpr auto kTurnPoll = std::chrono::milliseconds(50);

// Makes the state folder private and opens its lock file into lock, then takes the lock within the wait's bound;
// why not, or nothing.
std::string takeTurn(const std::string& stateFolder, const TurnWait& wait, platform::Descriptor& lock) {
    if (stateFolder.empty())
        return "there is no home folder to keep it in";
    const auto failed = [&](const platform::Status& status) {
        return "the folder " + stateFolder + " cannot be used (" + status.describe() + ")";
    };
    if (const platform::Status made = platform::makeDirectories(stateFolder); !made.ok())
        return failed(made);
    const platform::Folder folder(stateFolder);
    if (!folder.status().ok())
        return failed(folder.status());
    struct stat st {};
    if (::fstat(folder.descriptor(), &st) != 0)
        return failed(platform::Status::failure(errno, "stat folder"));
    const platform::FolderFacts facts{S_ISDIR(st.st_mode), st.st_uid, st.st_mode};
    if (std::optional<std::string> problem = platform::homeFolderProblem(stateFolder, facts, ::geteuid()))
        return *problem;
    // Others who may enter the folder could open what is in it; nobody but the user needs to.
    if ((st.st_mode & 077) != 0 && ::fchmod(folder.descriptor(), 0700) != 0)
        return failed(platform::Status::failure(errno, "chmod folder"));
    lock.reset(
        ::openat(folder.descriptor(), kTurnFile, O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    if (!lock.valid() || ::fstat(lock.get(), &st) != 0)
        return failed(platform::Status::failure(errno, "open lock file"));
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
        return "the lock file " + stateFolder + "/" + kTurnFile + " is not an ordinary file of yours";
    if ((st.st_mode & 077) != 0 && ::fchmod(lock.get(), 0600) != 0)
        return failed(platform::Status::failure(errno, "chmod lock file"));
    const auto start = std::chrono::steady_clock::now();
    for (bool told = false; ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0;) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return failed(platform::Status::failure(errno, "lock"));
        const auto waited = std::chrono::steady_clock::now() - start;
        if (waited >= wait.giveUpAfter)
            return "another run of quillbox --remind has kept its turn for " +
                   std::to_string(std::chrono::duration_cast<std::chrono::seconds>(waited).count()) + " seconds";
        if (!told && waited >= wait.tellAfter && wait.waiting) {
            told = true;
            wait.waiting();
        }
        std::this_thread::sleep_for(kTurnPoll);
    }
    return {};
}

} // namespace

// A digest field's count and hash, "COUNT:HEX" with sixteen hexadecimal digits; nothing when it is not one.
std::optional<ToldReminders::Digest> ToldReminders::digestFrom(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || text.size() != colon + 17)
        return std::nullopt;
    Digest digest;
    for (const char c : text.substr(0, colon)) {
        if (c < '0' || c > '9' || digest.count > (std::size_t{1} << 40))
            return std::nullopt;
        digest.count = digest.count * 10 + static_cast<std::size_t>(c - '0');
    }
    for (const char c : text.substr(colon + 1)) {
        const int digit = hexValue(c);
        if (digit < 0)
            return std::nullopt;
        digest.hash = digest.hash << 4 | static_cast<std::uint64_t>(digit);
    }
    return digest;
}

ToldReminders ToldReminders::parse(std::string_view bytes, std::string today) {
    ToldReminders parsed(std::move(today));
    if (!bytes.starts_with(kFirstLine) || bytes.size() <= kFirstLine.size() || bytes[kFirstLine.size()] != '\n')
        return parsed;
    bytes.remove_prefix(kFirstLine.size() + 1);
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos)
            break; // a line without its end: the file was cut short there
        const std::vector<std::string_view> fields = fieldsOf(bytes.substr(0, end));
        bytes.remove_prefix(end + 1);
        if (fields.size() < 2 || fields[0] != parsed.today_)
            continue;
        const std::optional<std::string> folder = unescaped(fields[1]);
        if (folder && fields.size() == 3 && fields[2].starts_with(kDigestMark)) {
            if (std::optional<Digest> digest = digestFrom(fields[2].substr(kDigestMark.size()))) {
                parsed.told_.erase(*folder);
                parsed.digests_[*folder] = *digest;
            }
            continue;
        }
        std::vector<std::string> numbers;
        for (std::size_t i = 2; folder && i < fields.size(); ++i) {
            std::optional<std::string> number = unescaped(fields[i]);
            if (!number) {
                numbers.clear();
                break;
            }
            numbers.push_back(std::move(*number));
        }
        if (folder)
            parsed.add(*folder, numbers);
    }
    return parsed;
}

bool ToldReminders::told(const std::string& folder, const std::string& number) const {
    if (digests_.contains(folder))
        return true;
    const auto found = told_.find(folder);
    return found != told_.end() && found->second.contains(number);
}

bool ToldReminders::toldAsAWhole(const std::string& folder, const std::vector<std::string>& numbers) const {
    const auto found = digests_.find(folder);
    return found == digests_.end() || found->second == digestOf({numbers.begin(), numbers.end()});
}

void ToldReminders::add(const std::string& folder, const std::vector<std::string>& numbers) {
    // A digest cannot take more numbers; a folder kept as one is told as a whole again, these numbers being all.
    digests_.erase(folder);
    std::set<std::string>& numbersTold = told_[folder];
    numbersTold.insert(numbers.begin(), numbers.end());
}

ToldReminders::Digest ToldReminders::digestOf(const std::set<std::string>& numbers) {
    // FNV-1a over the numbers in order, each ended by a line break, which no number holds.
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    const auto take = [&](unsigned char byte) { hash = (hash ^ byte) * 0x100000001B3ULL; };
    for (const std::string& number : numbers) {
        for (const char c : number)
            take(static_cast<unsigned char>(c));
        take('\n');
    }
    return {numbers.size(), hash};
}

std::string ToldReminders::bytes() const {
    std::string out(kFirstLine);
    out += '\n';
    const auto digestLine = [&](const std::string& folder, const Digest& digest) {
        char hash[17];
        std::snprintf(hash, sizeof hash, "%016llX", static_cast<unsigned long long>(digest.hash));
        return today_ + ' ' + escaped(folder) + ' ' + std::string(kDigestMark) + std::to_string(digest.count) + ':' +
               hash + '\n';
    };
    std::vector<std::string> lines;
    for (const auto& [folder, numbers] : told_) {
        std::string line = today_ + ' ' + escaped(folder);
        for (const std::string& number : numbers)
            line += ' ' + escaped(number);
        line += '\n';
        lines.push_back(line.size() <= kMaxToldListBytes ? std::move(line) : digestLine(folder, digestOf(numbers)));
    }
    for (const auto& [folder, digest] : digests_)
        lines.push_back(digestLine(folder, digest));
    // Folders beyond the bound are left out: their reminders are told again, never lost.
    for (const std::string& line : lines)
        if (out.size() + line.size() <= kMaxToldRemindersBytes)
            out += line;
    return out;
}

ToldRemindersTurn::ToldRemindersTurn(const std::string& stateFolder, const TurnWait& wait) {
    problem_ = takeTurn(stateFolder, wait, lock_);
    if (!problem_.empty())
        lock_.reset();
}

ToldReminders loadToldReminders(const std::string& stateFolder, std::string today) {
    platform::ReadOnlyFile file = platform::ReadOnlyFile::open(stateFolder + "/" + kToldRemindersFile);
    std::string bytes;
    // A file another user put there would decide what this user is told.
    if (!file.ok() || file.owner() != ::geteuid() || !file.readAll(bytes, kMaxToldRemindersBytes).ok())
        return ToldReminders(std::move(today));
    return ToldReminders::parse(bytes, std::move(today));
}

platform::Status storeToldReminders(const std::string& stateFolder, const ToldReminders& told) {
    if (platform::Status made = platform::makeDirectories(stateFolder); !made.ok())
        return made;
    return platform::writeFileAtomically(stateFolder + "/" + kToldRemindersFile, told.bytes(),
                                         platform::WriteMode::Replace, platform::FileAccess::OwnerOnly);
}

} // namespace qb::store

#include "store/told_reminders.h"

#include <algorithm>
#include <optional>
#include <unistd.h>

#include "platform/files.h"
#include "platform/read_only_file.h"
#include "platform/safe_write.h"

namespace qb::store {
namespace {

constexpr std::string_view kFirstLine = "quillbox reminders told, 1";
constexpr std::string_view kHex = "0123456789ABCDEF";

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

} // namespace

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
    const auto found = told_.find(folder);
    return found != told_.end() && found->second.contains(number);
}

void ToldReminders::add(const std::string& folder, const std::vector<std::string>& numbers) {
    std::set<std::string>& numbersTold = told_[folder];
    numbersTold.insert(numbers.begin(), numbers.end());
}

std::string ToldReminders::bytes() const {
    std::string out(kFirstLine);
    out += '\n';
    for (const auto& [folder, numbers] : told_) {
        out += today_ + ' ' + escaped(folder);
        for (const std::string& number : numbers)
            out += ' ' + escaped(number);
        out += '\n';
    }
    return out;
}

ToldRemindersTurn::ToldRemindersTurn(const std::string& stateFolder) {
    if (!platform::makeDirectories(stateFolder).ok())
        return;
    folder_.emplace(stateFolder);
    (void)folder_->lock(platform::FolderLock::Exclusive);
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
                                         platform::WriteMode::Replace);
}

} // namespace qb::store

#include "remind/reminder_notice.h"

#include <algorithm>

#include "platform/cp1252.h"
#include "remind/reminder_check.h"
#include "store/record_store.h"
#include "store/settings.h"

namespace qb::remind {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr char kEllipsis = '\x85'; // … in Windows-1252

} // namespace

std::string noticeLine(const std::string& recordText) {
    // Lines end as in the record text box: at CR LF or a lone LF; a lone CR is a character of its line.
    std::size_t start = 0;
    while (start <= recordText.size()) {
        const std::size_t end = std::min(recordText.find('\n', start), recordText.size());
        std::string_view line(recordText.data() + start, end - start);
        if (line.ends_with('\r') && end < recordText.size())
            line.remove_suffix(1);
        const std::size_t first = line.find_first_not_of(kBlanks);
        if (first != std::string_view::npos) {
            line = line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
            if (line.size() <= kNoticeLineLength)
                return std::string(line);
            std::string cut(line.substr(0, kNoticeLineLength - 1));
            cut.erase(cut.find_last_not_of(kBlanks) + 1);
            return cut + kEllipsis;
        }
        start = end + 1;
    }
    return "(no text)";
}

void ReminderNotice::add(const store::Record& record) {
    ++count_;
    if (private_)
        return;
    if (firstLines_.size() < kNoticeBodyLines)
        firstLines_.push_back(platform::cp1252ToDisplayUtf8(noticeLine(record.text)));
    entries_.add(record);
}

std::string ReminderNotice::summary() const {
    return "Quillbox: " + std::to_string(count_) + (count_ == 1 ? " reminder" : " reminders") + " for today";
}

std::string ReminderNotice::body() const {
    if (private_)
        return kPrivateNoticeBody;
    std::string body;
    for (const std::string& line : firstLines_)
        body += (body.empty() ? "" : "\n") + line;
    if (count_ > firstLines_.size())
        body += "\nand " + std::to_string(count_ - firstLines_.size()) + " more";
    return body;
}

std::string ReminderNotice::printed() const {
    if (private_)
        return summary() + "\n" + kPrivateNoticeBody + "\n";
    return summary() + "\n\n" + platform::cp1252ToDisplayUtf8(entries_.text());
}

TodaysReminders todaysReminders(const platform::DriveMap& drives, const platform::LocalDateTime& now,
                                const store::ToldReminders& told) {
    const store::Settings settings(drives);
    const RecordTexts texts = settings.passwordFileExists() ? RecordTexts::Private : RecordTexts::Told;
    TodaysReminders due{ReminderNotice(texts), ReminderNotice(texts), {}, {}};
    if (!settings.alarmFlag())
        return due;
    const std::string directory = settings.defaultDirectory().value_or(store::kProgramDefaultDirectory);
    due.folder = store::dataDirectoryFolder(drives, directory);
    search::RecordWalk walk = reminderCheckWalk(drives, directory, reminderDateOf(now));
    std::vector<std::string> numbers; // of every record due
    while (std::optional<search::ListedFile> file = walk.nextFile()) {
        if (!file->matches)
            continue;
        due.all.add(file->record);
        numbers.push_back(file->number);
        if (!told.told(due.folder, file->number)) {
            due.untold.add(file->record);
            due.untoldNumbers.push_back(file->number);
        }
    }
    // Too many told to list them: unless the records due are the very set told, all of them are told again.
    if (!told.toldAsAWhole(due.folder, numbers)) {
        due.untold = due.all;
        due.untoldNumbers = std::move(numbers);
    }
    return due;
}

} // namespace qb::remind

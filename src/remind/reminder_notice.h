#pragma once
// Today's reminders told outside the program, by `quillbox --remind`: a desktop notification and standard output.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/drive_map.h"
#include "remind/reminder_list.h"
#include "store/record_file.h"
#include "store/told_reminders.h"

namespace qb::remind {

/** The most reminders the notification's body names one by one; a last line counts the others. */
inline constexpr std::size_t kNoticeBodyLines = 10;

/** The most characters of a record's first line in the notification's body; a longer one is cut and ends in "…". */
inline constexpr std::size_t kNoticeLineLength = 80;

/** What the notification's body says instead of record texts when a start-up password is set. */
inline constexpr const char* kPrivateNoticeBody = "Open Quillbox to read them";

/** What a notice may tell of the records. */
enum class RecordTexts {
    Told,    ///< the first lines of their texts, and the reminders as the reminder window lists them
    Private, ///< nothing but their count: a start-up password is set, so no record text may leave the program
};

/**
 * What is told of the records due today: a summary with their count, the notification's body with the first line
 * of each record's text, and the text printed to standard output: the reminder window's list, the same entries
 * and at most its last kReminderListLimit characters. With a start-up password set no record text is told: the body and
 * the printed text give only the count and "Open Quillbox to read them". The texts are UTF-8 with LF line breaks, and a
 * control character from a record file shows as its symbol, so none of them acts on a terminal or a notification.
 */
class ReminderNotice {
public:
    /** A notice of no records yet, telling of their texts what texts says. */
    explicit ReminderNotice(RecordTexts texts = RecordTexts::Told) : private_(texts == RecordTexts::Private) {}

    /** Adds a record due today; records are told in the order added. */
    void add(const store::Record& record);

    /** How many records are due. */
    [[nodiscard]] std::size_t count() const { return count_; }
    /** "Quillbox: 2 reminders for today" ("1 reminder" for one). */
    [[nodiscard]] std::string summary() const;
    /** The first line of each record's text, one a line, the first ones only when there are many. */
    [[nodiscard]] std::string body() const;
    /** The summary, then each record as the reminder window lists it; or the summary and the private line. */
    [[nodiscard]] std::string printed() const;

private:
    bool private_;
    std::size_t count_ = 0;
    std::vector<std::string> firstLines_; // the body's lines, kNoticeBodyLines at most
    ReminderList entries_;                // the printed reminders, as the reminder window lists them
};

/** The first line of a record text that holds more than spaces, trimmed and cut to kNoticeLineLength characters
 *  with "…" (Windows-1252); "(no text)" when there is none. */
[[nodiscard]] std::string noticeLine(const std::string& recordText);

/** The records due today, as `quillbox --remind` tells them. */
struct TodaysReminders {
    ReminderNotice all;                     ///< every record due today: what is printed
    ReminderNotice untold;                  ///< those not yet told today: what the notification shows
    std::string folder;                     ///< the data folder walked (a path of this system)
    std::vector<std::string> untoldNumbers; ///< the record numbers of untold
};

/**
 * The reminder check of start-up, without a window: when the alarm flag file exists, walks the default data
 * directory (c:\quill when none is set) with today's reminder date and tells the records due, setting apart those
 * that told says were told today already; none when alarm checking is off. It only reads: no file or folder is
 * created or changed.
 */
[[nodiscard]] TodaysReminders todaysReminders(const platform::DriveMap& drives, const platform::LocalDateTime& now,
                                              const store::ToldReminders& told);

} // namespace qb::remind

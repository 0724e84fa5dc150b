#pragma once
// What `quillbox --remind` told today, remembered between its runs so that each reminder is told once a day,
// however often it runs (at login, by the daily timer, or both): one small file outside the Quillbox home.

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folder.h"
#include "platform/status.h"

namespace qb::store {

/** The most bytes the file may hold; a larger one is not read, as if nothing had been told. */
inline constexpr std::size_t kMaxToldRemindersBytes = std::size_t{1} << 20;

/** The file's name in the state folder. */
inline constexpr const char* kToldRemindersFile = "reminders-told";

/** The reminders told on one day, per data folder (its path), by record number. */
class ToldReminders {
public:
    /** Nothing told yet on today (a reminder date such as "12/08/26"). */
    explicit ToldReminders(std::string today) : today_(std::move(today)) {}

    /** Today's part of the file's bytes. Lines of another day, and whatever cannot be read as a line of the file
     *  (a truncated or planted file), count as nothing told. */
    [[nodiscard]] static ToldReminders parse(std::string_view bytes, std::string today);

    /** Whether the record of that number in that folder was told today. */
    [[nodiscard]] bool told(const std::string& folder, const std::string& number) const;
    /** Notes records of a folder as told today. */
    void add(const std::string& folder, const std::vector<std::string>& numbers);

    /** The file's bytes: a first line that names the file, then a line per folder: the day, the folder and the
     *  record numbers told, separated by spaces, in each of them a space, a control character, a byte above 0x7E
     *  and "%" written as "%" and two hexadecimal digits. */
    [[nodiscard]] std::string bytes() const;

private:
    std::string today_;
    std::map<std::string, std::set<std::string>> told_;
};

/** The state folder, made when it is missing, held under its lock while this lives: runs of `quillbox --remind`
 *  that start together (at login, with the daily timer catching up) take turns, so that the later one sees what
 *  the earlier one told. A folder that cannot be made or locked gives no turn, and the run goes on without. */
class ToldRemindersTurn {
public:
    explicit ToldRemindersTurn(const std::string& stateFolder);

private:
    std::optional<platform::Folder> folder_;
};

/** What the file in the state folder says of today; nothing told when it is missing, unreadable, too large, no
 *  ordinary file or not the user's own. */
[[nodiscard]] ToldReminders loadToldReminders(const std::string& stateFolder, std::string today);

/** Writes the file safely into the state folder, making the folder (private to the user) when it is missing. */
[[nodiscard]] platform::Status storeToldReminders(const std::string& stateFolder, const ToldReminders& told);

} // namespace qb::store

#pragma once
// The reminder list of the results window: one entry per record due today, the whole kept to a bounded length
// by dropping its oldest part.

#include <cstddef>
#include <string>

#include "store/record_file.h"

namespace qb::remind {

/** The most characters the reminder list holds; a longer list keeps its last characters. */
inline constexpr std::size_t kReminderListLimit = 30000;

/** One entry: "Reminder dated: ", the date, a blank line, the text, a blank line, twenty hyphens, a blank line. */
[[nodiscard]] std::string reminderEntry(const store::Record& record);

/**
 * The reminder list being built by a walk. It reads as if every entry were appended and the text cut to its
 * last limit characters after each one (so it may begin in the middle of an entry); the cutting is done in
 * batches, so a long walk does not move the whole text once per entry.
 */
class ReminderList {
public:
    explicit ReminderList(std::size_t limit = kReminderListLimit) : limit_(limit) {}

    /** Appends the entry of a record. */
    void add(const store::Record& record);

    /** The list as Windows-1252 text with CR LF line breaks, at most limit characters. */
    [[nodiscard]] std::string text() const;

private:
    std::size_t limit_;
    std::string buffer_; // the last entries; may run up to twice the limit before it is cut
};

} // namespace qb::remind

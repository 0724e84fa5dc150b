#include "remind/reminder_list.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace qb::remind {
namespace {

constexpr std::string_view kBlankLine = "\r\n\r\n";
constexpr std::string_view kRule = "--------------------";

// The parts of a record's entry, in order.
std::array<std::string_view, 7> entryParts(const store::Record& record) {
    return {"Reminder dated: ", record.reminderDate, kBlankLine, record.text, kBlankLine, kRule, kBlankLine};
}

} // namespace

std::string reminderEntry(const store::Record& record) {
    std::string out;
    for (const std::string_view part : entryParts(record))
        out += part;
    return out;
}

void ReminderList::add(const store::Record& record) {
    const std::array<std::string_view, 7> parts = entryParts(record);
    std::size_t whole = 0;
    for (const std::string_view part : parts)
        whole += part.size();
    // Only the last limit characters of the whole list are ever shown, so of an entry that long (a record of
    // megabytes) only its end is kept, and what came before it goes.
    std::size_t skip = 0;
    if (whole >= limit_) {
        buffer_.clear();
        skip = whole - limit_;
    }
    for (std::string_view part : parts) {
        const std::size_t skipped = std::min(skip, part.size());
        skip -= skipped;
        buffer_ += part.substr(skipped);
    }
    // The last limit characters of the whole are the last limit characters of the buffer, whenever it is cut.
    if (buffer_.size() > 2 * limit_)
        buffer_.erase(0, buffer_.size() - limit_);
}

std::string ReminderList::text() const {
    return buffer_.size() > limit_ ? buffer_.substr(buffer_.size() - limit_) : buffer_;
}

} // namespace qb::remind

#include "search/reminder_list.h"

namespace qb::search {
namespace {

constexpr std::string_view kBlankLine = "\r\n\r\n";

} // namespace

std::string reminderEntry(const store::Record& record) {
    std::string out;
    out += "Reminder dated: ";
    out += record.reminderDate;
    out += kBlankLine;
    out += record.text;
    out += kBlankLine;
    out += "--------------------";
    out += kBlankLine;
    return out;
}

void ReminderList::add(const store::Record& record) {
    buffer_ += reminderEntry(record);
    // The last limit characters of the whole are the last limit characters of the buffer, whenever it is cut.
    if (buffer_.size() > 2 * limit_)
        buffer_.erase(0, buffer_.size() - limit_);
}

std::string ReminderList::text() const {
    return buffer_.size() > limit_ ? buffer_.substr(buffer_.size() - limit_) : buffer_;
}

} // namespace qb::search

#include "finder/note.h"

#include <algorithm>
#include <cctype>

namespace qb::finder {
namespace {

bool digits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

} // namespace

std::optional<std::string> writtenOn(std::string_view number) {
    // 12061403.659: month 12, day 06, 14:03, a year ending in 6, second 59.
    if (number.size() != 12 || number[8] != '.' || !digits(number.substr(0, 8)) || !digits(number.substr(9)))
        return std::nullopt;
    const auto part = [&](std::size_t at, std::size_t length) { return std::string(number.substr(at, length)); };
    return "Written " + part(0, 2) + "/" + part(2, 2) + " " + part(4, 2) + ":" + part(6, 2) + ":" + part(10, 2) +
           ", a year ending in " + part(9, 1);
}

Note noteOf(const std::string& number, const store::Record& record) {
    // A line ends at CR LF, a lone LF or a lone CR, as the record text box shows them.
    std::string name = record.text.substr(0, std::min(record.text.find_first_of("\r\n"), kNameLength));
    if (name.find_first_not_of(' ') == std::string::npos)
        name = number;
    std::string description;
    if (!record.reminderDate.empty())
        description = "Reminder " + record.reminderDate;
    else
        description = writtenOn(number).value_or(std::string());
    return {number, std::move(name), std::move(description)};
}

} // namespace qb::finder

#include "store/input_checks.h"

namespace qb::store {

bool reminderDateShapeOk(const std::string& date) {
    if (date.empty())
        return true;
    return date.find(' ') == std::string::npos && date.size() <= 8 && date.size() >= 6 && date[2] == '/' &&
           date[5] == '/';
}

std::optional<Refusal> firstInputRefusal(const CheckedBoxes& boxes) {
    if (boxes.directory.find(' ') != std::string::npos)
        return Refusal{"You may not have spaces in the directory name specified"};
    if (!reminderDateShapeOk(boxes.reminderDate))
        return Refusal{"You must enter the date using the format: MM/DD/YY"};
    for (const std::string& text : boxes.quoteChecked) {
        if (text.find('"') != std::string::npos)
            return Refusal{"You may not use quotation marks in the text boxes"};
    }
    return std::nullopt;
}

} // namespace qb::store

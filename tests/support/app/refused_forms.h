#pragma once
// The input checks that saving and searching both make, in the order they run: the forms each of them refuses and
// what it says.

#include <QString>
#include <vector>

namespace qb::test {

inline const QString kSpacesRefusal = QStringLiteral("You may not have spaces in the directory name specified");
inline const QString kDateShapeRefusal = QStringLiteral("You must enter the date using the format: MM/DD/YY");
inline const QString kQuotesRefusal = QStringLiteral("You may not use quotation marks in the text boxes");

/** A form to refuse: the data directory, the reminder date, the record text and the first search string; and the
 *  refusal of the first check it fails. */
struct RefusedForm {
    QString directory, date, text, searchString1;
    QString message;
};

/** Forms that saving and searching refuse alike; a test appends its own. */
inline std::vector<RefusedForm> refusedBySaveAndSearch() {
    return {
        {"c:\\my notes", "1/2/26", "say \"x\"", "", kSpacesRefusal},
        {"c:\\quill", "12/25/2026", "say \"x\"", "", kDateShapeRefusal},
        {"c:\\quill", "12/25", "text", "", kDateShapeRefusal},
        {"c:\\quill", "12/25/", "text", "\"", kQuotesRefusal},
    };
}

} // namespace qb::test

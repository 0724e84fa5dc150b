#pragma once
// The widget boundary: the pure layers keep Windows-1252 bytes with CR LF line breaks, the widgets QString.

#include <QString>
#include <optional>
#include <string>

class QLineEdit;
class QPlainTextEdit;
class QComboBox;

namespace qb::app {

/** Windows-1252 bytes as a QString; line breaks are kept as they are. */
QString fromCp1252(const std::string& bytes);

/** The result of turning widget text into Windows-1252. */
struct BoxText {
    std::string bytes;                 ///< complete only when unmappable is empty
    std::optional<QString> unmappable; ///< a readable name of the first character the code page cannot hold
};

/** A QString as Windows-1252; stops at the first character the code page cannot hold. */
BoxText toCp1252(const QString& text);

/** A multi-line box's text with its line breaks as CR LF, as Windows-1252. */
BoxText recordTextOf(const QPlainTextEdit* box);

/** Puts Windows-1252 text with CR LF line breaks into a multi-line box; a lone CR or LF also breaks a line. */
void setRecordText(QPlainTextEdit* box, const std::string& bytes);

/** The length a multi-line box's text has when stored: each line break counts two (CR LF). */
int storedLength(const QString& plainText);

/** The message that refuses a character the record files cannot hold. */
QString unmappableMessage(const QString& character);

} // namespace qb::app

#pragma once
// The widget boundary: the pure layers keep Windows-1252 bytes with CR LF line breaks, the widgets QString. Each name
// says what comes back: fromCp1252 and toCp1252 convert the code page alone; boxText and fieldText the symbol for null
// that a box shows for a NUL byte; crlfText and setCrlfText a multi-line box's line breaks, as CR LF; fieldBytes and
// setFieldBytes all of these at once, between a multi-line box and a record's field.

#include <QString>
#include <optional>
#include <string>

class QPlainTextEdit;

namespace qb::app {

/** Windows-1252 bytes as a QString; line breaks are kept as they are. */
QString fromCp1252(const std::string& bytes);

/** A QString as Windows-1252, or nothing when it holds a character the code page cannot hold. */
[[nodiscard]] std::optional<std::string> toCp1252(const QString& text);

/** A readable name of the first character of text that Windows-1252 cannot hold, if there is one. */
[[nodiscard]] std::optional<QString> unmappableCharacter(const QString& text);

/** A record's field (Windows-1252 bytes) as its box shows it: a NUL byte, which no box can show, as the symbol for
 *  null (U+2400). */
QString boxText(const std::string& field);

/** The text of a box that shows a record's field, or of a criterion sought in one, as the field holds it: each symbol
 *  for null is a NUL again. Windows-1252 has no such symbol, so in these boxes it always stands for NUL, whether it
 *  came from a record file or was typed. */
QString fieldText(const QString& shown);

/**
 * The text of a multi-line box as a record file keeps it: each line break as CR LF, and a lone LF or lone CR that
 * came from a file as it was. Unlike toPlainText(), every character comes back unchanged (a no-break space stays
 * one).
 */
[[nodiscard]] QString crlfText(const QPlainTextEdit* box);

/** Puts text as a record file keeps it into a multi-line box: CR LF starts a new line, a lone LF shows as a line
 *  break of its own and a lone CR as the symbol for a carriage return, so that crlfText() gives it back whole. */
void setCrlfText(QPlainTextEdit* box, const QString& stored);

/** A multi-line box's text as Windows-1252 with CR LF line breaks, or nothing when the code page cannot hold it. */
[[nodiscard]] std::optional<std::string> fieldBytes(const QPlainTextEdit* box);

/** Puts Windows-1252 text into a multi-line box; fieldBytes() gives back the same bytes. */
void setFieldBytes(QPlainTextEdit* box, const std::string& bytes);

/** The length of a box's text once stored: a line break typed or held in the box (a paragraph break) counts two,
 *  CR LF; every other character one. */
[[nodiscard]] int storedLength(const QString& shown);

/** The message that refuses a character the record files cannot hold. */
QString unmappableMessage(const QString& character);

/** The message that refuses text holding a character the record files cannot hold, naming the first one. */
QString unstorableTextMessage(const QString& text);

} // namespace qb::app

#include "app/text/text_codec.h"

#include <QPlainTextEdit>
#include <QTextDocument>

#include "platform/cp1252.h"

namespace qb::app {

namespace {

// How a box holds the line ends a record file may contain. A paragraph break is a line break typed with Enter,
// stored as CR LF. A lone LF, as other programs write line breaks, shows as a line break inside the paragraph;
// a lone CR has no such form and shows as its symbol. None of these characters exists in Windows-1252, so none
// can stand for anything else.
constexpr QChar kParagraphBreak = QChar::ParagraphSeparator;
constexpr QChar kLoneLineFeed = QChar::LineSeparator;
constexpr QChar kLoneCarriageReturn = QChar(0x240D); // SYMBOL FOR CARRIAGE RETURN
constexpr QChar kNulSymbol = QChar(0x2400);          // SYMBOL FOR NULL

} // namespace

QString fromCp1252(const std::string& bytes) {
    return QString::fromStdString(platform::cp1252ToUtf8(bytes));
}

QString boxText(const std::string& field) {
    return fromCp1252(field).replace(QChar(u'\0'), kNulSymbol);
}

QString fieldText(const QString& shown) {
    return QString(shown).replace(kNulSymbol, QChar(u'\0'));
}

std::optional<std::string> toCp1252(const QString& text) {
    platform::Cp1252Conversion converted = platform::utf8ToCp1252(text.toStdString());
    if (converted.unmappable)
        return std::nullopt;
    return std::move(converted.bytes);
}

std::optional<QString> unmappableCharacter(const QString& text) {
    const platform::Cp1252Conversion converted = platform::utf8ToCp1252(text.toStdString());
    if (!converted.unmappable)
        return std::nullopt;
    return QString::fromStdString(platform::describeCodePoint(*converted.unmappable));
}

QString crlfText(const QPlainTextEdit* box) {
    // toRawText keeps every character; toPlainText would turn a no-break space into a plain one.
    const QString raw = box->document()->toRawText();
    QString stored;
    stored.reserve(raw.size() + raw.size() / 16);
    for (const QChar c : raw) {
        if (c == kParagraphBreak || c == QLatin1Char('\n'))
            stored += QStringLiteral("\r\n");
        else if (c == kLoneLineFeed)
            stored += QLatin1Char('\n');
        else if (c == kLoneCarriageReturn)
            stored += QLatin1Char('\r');
        else
            stored += c;
    }
    return stored;
}

void setCrlfText(QPlainTextEdit* box, const QString& stored) {
    QString shown;
    shown.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar c = stored.at(i);
        if (c == QLatin1Char('\r') && i + 1 < stored.size() && stored.at(i + 1) == QLatin1Char('\n')) {
            shown += kParagraphBreak;
            ++i;
        } else if (c == QLatin1Char('\n')) {
            shown += kLoneLineFeed;
        } else if (c == QLatin1Char('\r')) {
            shown += kLoneCarriageReturn;
        } else {
            shown += c;
        }
    }
    box->setPlainText(shown);
}

std::optional<std::string> fieldBytes(const QPlainTextEdit* box) {
    return toCp1252(fieldText(crlfText(box)));
}

void setFieldBytes(QPlainTextEdit* box, const std::string& bytes) {
    setCrlfText(box, boxText(bytes));
}

int storedLength(const QString& shown) {
    const qsizetype breaks = shown.count(kParagraphBreak) + shown.count(QLatin1Char('\n'));
    return static_cast<int>(shown.size() + breaks);
}

QString unmappableMessage(const QString& character) {
    return QStringLiteral("The character %1 cannot be stored in a Quillbox file. Please remove it and try again.")
        .arg(character);
}

QString unstorableTextMessage(const QString& text) {
    return unmappableMessage(unmappableCharacter(text).value_or(QStringLiteral("?")));
}

} // namespace qb::app

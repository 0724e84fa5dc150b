#include "app/text_codec.h"

#include <QPlainTextEdit>

#include "platform/cp1252.h"

namespace qb::app {

QString fromCp1252(const std::string& bytes) {
    return QString::fromStdString(platform::cp1252ToUtf8(bytes));
}

BoxText toCp1252(const QString& text) {
    platform::Cp1252Conversion converted = platform::utf8ToCp1252(text.toStdString());
    BoxText result;
    result.bytes = std::move(converted.bytes);
    if (converted.unmappable)
        result.unmappable = QString::fromStdString(platform::describeCodePoint(*converted.unmappable));
    return result;
}

BoxText recordTextOf(const QPlainTextEdit* box) {
    QString text = box->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return toCp1252(text);
}

void setRecordText(QPlainTextEdit* box, const std::string& bytes) {
    QString text = fromCp1252(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box->setPlainText(text);
}

int storedLength(const QString& plainText) {
    return static_cast<int>(plainText.size() + plainText.count('\n'));
}

QString unmappableMessage(const QString& character) {
    return QStringLiteral("The character %1 cannot be stored in a Quillbox file. Please remove it and try again.")
        .arg(character);
}

} // namespace qb::app

#include "app/limited_text_edit.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <algorithm>

#include "app/text_codec.h"

namespace qb::app {

namespace {

/** The selection as plain text with its line breaks as '\n' (the cursor reports paragraph separators). */
QString selectedPlainText(const QTextCursor& cursor) {
    QString text = cursor.selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

/** What a key would type into the box, or nothing for keys that edit or move instead. */
QString typedText(const QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return QStringLiteral("\n");
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return {};
    return text;
}

/** The longest start of text whose stored length fits into room. */
QString fittingStart(const QString& text, int room) {
    int used = 0;
    qsizetype count = 0;
    for (const QChar c : text) {
        const int length = c == QLatin1Char('\n') ? 2 : 1;
        if (used + length > room)
            break;
        used += length;
        ++count;
    }
    return text.left(count);
}

} // namespace

LimitedTextEdit::LimitedTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

int LimitedTextEdit::roomFor() const {
    const QTextCursor cursor = textCursor();
    return maxLength_ - storedLength(toPlainText()) + storedLength(selectedPlainText(cursor));
}

void LimitedTextEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = typedText(event);
    if (maxLength_ > 0 && !typed.isEmpty() && storedLength(typed) > roomFor()) {
        event->accept(); // the box is full: the character is refused, as a full one-line box refuses it
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void LimitedTextEdit::insertFromMimeData(const QMimeData* source) {
    if (maxLength_ <= 0 || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // A paste that does not fit is cut to the room left, as a one-line box cuts it.
    QTextCursor cursor = textCursor();
    cursor.insertText(fittingStart(text, std::max(0, roomFor())));
    setTextCursor(cursor);
    ensureCursorVisible();
}

} // namespace qb::app

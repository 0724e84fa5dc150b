#include "app/widgets/limited_text_edit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <algorithm>

#include "app/text/text_codec.h"

namespace qb::app {

namespace {

bool isEnter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

/** What a key would type into the box, or nothing for keys that edit or move instead. */
QString typedText(const QKeyEvent* event) {
    if (isEnter(event))
        return QStringLiteral("\n");
    QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return {};
    return text;
}

/** Text from outside the program with each of its line breaks as one typed line break. */
QString withTypedLineBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QChar lineEnd : {QChar(u'\r'), QChar(QChar::LineSeparator), QChar(QChar::ParagraphSeparator)})
        text.replace(lineEnd, QLatin1Char('\n'));
    return text;
}

/** The longest start of text whose stored length fits into room. */
QString fittingStart(const QString& text, int room) {
    int used = 0;
    qsizetype count = 0;
    for (const QChar c : text) {
        const int length = storedLength(QString(c));
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
    return maxLength_ - storedLength(document()->toRawText()) + storedLength(textCursor().selectedText());
}

void LimitedTextEdit::insertFitting(const QString& text) {
    QTextCursor cursor = textCursor();
    cursor.insertText(maxLength_ > 0 ? fittingStart(text, std::max(0, roomFor())) : text);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void LimitedTextEdit::keyPressEvent(QKeyEvent* event) {
    if (isEnter(event)) {
        if (enterPressesDefault_ && !(event->modifiers() & Qt::ControlModifier)) {
            event->ignore(); // on to the window, which presses its default button
            return;
        }
        // Every line break typed is a whole one (CR LF), also with Shift or Ctrl held.
        insertFitting(QStringLiteral("\n"));
        event->accept();
        return;
    }
    const QString typed = typedText(event);
    if (maxLength_ > 0 && !typed.isEmpty() && storedLength(typed) > roomFor()) {
        event->accept(); // the box is full: the character is refused, as a full one-line box refuses it
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void LimitedTextEdit::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    // A paste or drop that does not fit is cut to the room left, as a one-line box cuts it.
    insertFitting(withTypedLineBreaks(source->text()));
}

void LimitedTextEdit::inputMethodEvent(QInputMethodEvent* event) {
    // Dead keys, compose sequences and input methods deliver their text here, past the key and paste limits.
    if (maxLength_ <= 0 || event->commitString().isEmpty()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    const QString commit = withTypedLineBreaks(event->commitString());
    QInputMethodEvent fitted(event->preeditString(), event->attributes());
    fitted.setCommitString(fittingStart(commit, std::max(0, roomFor())), event->replacementStart(),
                           event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&fitted);
}

} // namespace qb::app

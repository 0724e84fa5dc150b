// The record text box: typing, pasting and composing stop at its length limit, a line break counting two.

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>
#include <gtest/gtest.h>

#include "app/text/text_codec.h"
#include "app/widgets/limited_text_edit.h"

namespace qb::test {
namespace {

TEST(LimitedTextEdit, TypingPastingAndComposingStopAtTheLimit) {
    app::LimitedTextEdit box;
    box.setMaxLength(30000);
    box.show();
    // A line break is stored as CR LF and counts two.
    const QString start(29997, 'a');
    box.setPlainText(start);
    box.moveCursor(QTextCursor::End);
    QTest::keyClick(&box, Qt::Key_Return);
    QTest::keyClicks(&box, "bcd");
    EXPECT_EQ(box.toPlainText(), start + "\nb");
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(app::storedLength(box.toPlainText()), 30000);

    // Typing over a selection gives its room back; a paste is cut to the room left.
    box.moveCursor(QTextCursor::Left, QTextCursor::KeepAnchor);
    QTest::keyClicks(&box, "x");
    EXPECT_EQ(box.toPlainText(), start + "\nx");
    QTest::keyClick(&box, Qt::Key_Backspace);
    QApplication::clipboard()->setText(QStringLiteral("yz\r\nw"));
    box.paste();
    EXPECT_EQ(box.toPlainText(), start + "\ny");
    box.setPlainText(start);
    box.moveCursor(QTextCursor::End);
    box.paste();
    EXPECT_EQ(box.toPlainText(), start + "yz") << "the line break would take two";
    box.setPlainText(QString(29995, 'a'));
    box.moveCursor(QTextCursor::End);
    box.paste();
    EXPECT_EQ(box.toPlainText(), QString(29995, 'a') + "yz\nw");

    // Text committed by an input method (dead keys, compose, IBus) is held to the same limit.
    box.setPlainText(QString(29998, 'a'));
    box.moveCursor(QTextCursor::End);
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("\u00e9\u00e8\u00ea"));
    QApplication::sendEvent(&box, &composed);
    EXPECT_EQ(box.toPlainText(), QString(29998, 'a') + QStringLiteral("\u00e9\u00e8"));

    // The program may put a longer text there; the user cannot make it longer still, but may shorten it.
    box.setPlainText(QString(30005, 'q'));
    box.moveCursor(QTextCursor::End);
    QTest::keyClicks(&box, "r");
    box.paste();
    EXPECT_EQ(box.toPlainText(), QString(30005, 'q'));
    QTest::keyClick(&box, Qt::Key_Backspace);
    EXPECT_EQ(box.toPlainText().size(), 30004);
}

} // namespace
} // namespace qb::test

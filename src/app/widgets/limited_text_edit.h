#pragma once
// A multi-line text box that, like the line edits, refuses typed, pasted, dropped or composed characters beyond a
// length limit, and types line breaks the way its window wants them.

#include <QPlainTextEdit>

namespace qb::app {

/** A multi-line box whose user input stops at maxLength stored characters (a line break counts two, CR LF).
 *  Text set by the program is not cut, so a long record is never shortened behind the user's back. */
class LimitedTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit LimitedTextEdit(QWidget* parent = nullptr);
    /** The most characters the user may make the text hold; 0 means no limit. */
    void setMaxLength(int length) { maxLength_ = length; }
    int maxLength() const { return maxLength_; }
    /** In a window with a default button, Enter belongs to that button and Ctrl+Enter types a line break. */
    void setEnterPressesDefaultButton(bool on) { enterPressesDefault_ = on; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    /** How many stored characters may still be typed, counting the selection as given back. */
    int roomFor() const;
    /** Inserts typed or pasted text at the cursor, cut to the room left. */
    void insertFitting(const QString& text);

    int maxLength_ = 0;
    bool enterPressesDefault_ = false;
};

} // namespace qb::app

#pragma once
// A multi-line text box that, like the line edits, refuses typed or pasted characters beyond a length limit.

#include <QPlainTextEdit>

namespace qb::app {

/** A multi-line box whose user input stops at maxLength stored characters (a line break counts two, CR LF).
 *  Text set by the program is not cut, so a long record is never shortened behind the user's back. */
class LimitedTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit LimitedTextEdit(QWidget* parent = nullptr);
    /** The most characters the user may make the text hold. */
    void setMaxLength(int length) { maxLength_ = length; }
    int maxLength() const { return maxLength_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    /** How many stored characters may still be typed, counting the selection as given back. */
    int roomFor() const;

    int maxLength_ = 0; ///< 0: no limit
};

} // namespace qb::app

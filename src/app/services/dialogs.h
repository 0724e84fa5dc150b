#pragma once
// The modal dialogs, the beep and the mouse pointer, behind one facade: the program uses Qt's, the tests a
// scripted fake that records what was shown and answers from a queue.

#include <QString>
#include <chrono>
#include <memory>
#include <optional>

#include "app/dialogs/font_dialog.h"

class QWidget;

namespace qb::platform {
class Clock;
}

namespace qb::app {

/** The mouse pointer shapes the program uses. */
enum class Pointer { Default, Hourglass };

/** A modal window that shows how far a long job has come and offers to stop it. Stop, its access key, Escape and
 *  closing the window ask the user first, No being the default, so no key pressed in passing stops the job. It
 *  closes when it is destroyed. */
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    /** Shows a text and a bar of done steps out of total. */
    virtual void update(const QString& text, int done, int total) = 0;
    /** Serves the program's windows (painting, timers, the window manager's questions) until the clock reaches the
     *  deadline, while the rest of the program takes no input; returns early once the user asked to stop. */
    virtual void waitUntil(platform::Clock& clock, std::chrono::steady_clock::time_point deadline) = 0;
    /** Whether the user asked to stop and confirmed it. */
    [[nodiscard]] virtual bool stopRequested() const = 0;
};

/** Modal dialogs and other user feedback of the program. */
class Dialogs {
public:
    virtual ~Dialogs() = default;
    /** A message box with one OK button and no icon. */
    virtual void message(QWidget* parent, const QString& text, const QString& title) = 0;
    /** A message like message() that tells how a long job ended. It takes no key in its first moment on screen, so
     *  a key pressed in passing as it comes up does not close it unseen. */
    virtual void jobEndMessage(QWidget* parent, const QString& text, const QString& title) = 0;
    /** A question with Yes and No, Yes the default; true for Yes. */
    virtual bool question(QWidget* parent, const QString& text, const QString& title) = 0;
    /** A question with Yes and No, No the default, for a step that cannot be taken back; true for Yes. */
    virtual bool confirm(QWidget* parent, const QString& text, const QString& title) = 0;
    /** An input box with OK and Cancel; the entry's text on OK, empty text on Cancel. */
    virtual QString inputBox(QWidget* parent, const QString& prompt, const QString& title,
                             const QString& initialText) = 0;
    /** A file-open dialog; filter is "caption|patterns|caption|patterns", selected the 1-based entry shown
     *  first. The full path of the chosen file, or empty text when none was chosen. */
    virtual QString openFile(QWidget* parent, const QString& filter, int selected) = 0;
    /** The font dialog with choose-font flags, opened on the current font with everything preselected; the font
     *  confirmed, or nothing when the user cancels. */
    virtual std::optional<FontChoice> chooseFont(QWidget* parent, int flags, const FontChoice& current) = 0;
    /** Opens a modal progress window owned by parent, with a title and a first text; a request to stop asks
     *  stopQuestion (see confirm), titled as the window. */
    virtual std::unique_ptr<ProgressWindow> showProgress(QWidget* parent, const QString& title, const QString& text,
                                                         const QString& stopQuestion) = 0;
    /** The system beep. */
    virtual void beep() = 0;
    /** Sets the mouse pointer of a window. */
    virtual void setPointer(QWidget* window, Pointer pointer) = 0;
};

} // namespace qb::app

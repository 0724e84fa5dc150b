#pragma once
// The reminder results window: the records due today, found by the start-up reminder check.

#include <QWidget>
#include <span>
#include <string>

#include "app/layout/controls.h"
#include "app/services/services.h"

class QLabel;
class QPushButton;

namespace qb::app {

class LimitedTextEdit;

/** The reminder results window; only the start-up reminder check shows it, instead of the main window. */
class ReminderWindow : public QWidget {
    Q_OBJECT
public:
    /** pointerWindow is the main window, hidden while this one is up: printing puts the hourglass on it. */
    ReminderWindow(Services& services, QWidget& pointerWindow);
    ~ReminderWindow() override;

    /** The controls, for printing and for tests. */
    struct Controls {
        QPushButton* proceedButton = nullptr;    ///< "Click here to proceed into the main program", the default
        LimitedTextEdit* reminderList = nullptr; ///< the reminder list; Ctrl+Enter types a line break, Enter proceeds
        QLabel* explanation = nullptr;
        QPushButton* printButton = nullptr; ///< "Print these reminders"
    };

    /** The table the controls are built from. */
    static std::span<const ControlRow<Controls>> controlTable();
    /** The controls, for tests. */
    const Controls& controls() const { return ui_; }

    /** Shows the reminder list, Windows-1252 text with CR LF line breaks, as the check has found it so far. */
    void showList(const std::string& list);

    /** Proceed: hides this window and tells its owner, which shows the main window with its boxes empty. */
    void proceed();
    /** Print the list, then proceed. */
    void printReminders();

signals:
    /** The user has left this window for the main program. */
    void proceeded();

protected:
    /** Closing through the frame proceeds, as the button does: the program never runs with no window. */
    void closeEvent(QCloseEvent* event) override;
    /** Enter presses the default button, also from the list; a button with the focus takes Enter itself. */
    void keyPressEvent(QKeyEvent* event) override;

private:
    Controls ui_;
    Services& services_;
    QWidget& pointerWindow_;
};

} // namespace qb::app

#pragma once
// The reminder results window: the records due today, found by the start-up reminder check.

#include <QWidget>

#include "app/services.h"

class QLabel;
class QPushButton;

namespace qb::app {

class Form1;
class LimitedTextEdit;

/** The reminder results window; only the start-up reminder check shows it. */
class Form2 : public QWidget {
    Q_OBJECT
public:
    Form2(Services& services, Form1& mainWindow);
    ~Form2() override;

    QPushButton* Command1;  ///< "Click here to proceed into the main program", the default button
    LimitedTextEdit* Text1; ///< the reminder list; Ctrl+Enter types a line break, Enter proceeds
    QLabel* Label1;
    QPushButton* Command2; ///< "Print these reminders"

    /** Shows this window and hides the main window. */
    void Form_Load();
    /** Proceed: hide this window, show the main window with its boxes empty. */
    void Command1_Click();
    /** Print the list, then proceed. */
    void Command2_Click();

protected:
    /** Closing through the frame proceeds, as the button does: the program never runs with no window. */
    void closeEvent(QCloseEvent* event) override;
    /** Enter presses the default button, also from the list; a button with the focus takes Enter itself. */
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();

    Services& services_;
    Form1& mainWindow_;
};

} // namespace qb::app

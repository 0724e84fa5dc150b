// The reminder results window: its controls, and leaving it for the main window.

#include "app/reminder_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "app/controls.h"
#include "app/main_window.h"
#include "app/limited_text_edit.h"

namespace qb::app {

Form2::Form2(Services& services, Form1& mainWindow) : services_(services), mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("(Quillbox 1.2)  Reminder Date Alarm Search Results"));
    setFont(textBoxFont());
    buildControls();
    sizeAndCentre(this, 9480, 6795);
}

Form2::~Form2() = default;

void Form2::buildControls() {
    Command1 = makeButton(this, "Command1", QStringLiteral("Click here to proceed into the main program"),
                          QStringLiteral("Click here after viewing any alarms from today"), {3360, 6000, 3735, 495});
    Command1->setDefault(true);
    Command1->setFont(defaultFont());

    Text1 = new LimitedTextEdit(this);
    Text1->setEnterPressesDefaultButton(true);
    setUpControl(Text1, "Text1", QStringLiteral("Reminders for today"), QString(), {120, 240, 9285, 5295});

    Label1 = makeLabel(this, "Label1",
                       QStringLiteral("Above you will find any records containing a reminder date of today.   "
                                      "Additional searches may be performed later."),
                       {240, 5640, 10335, 255}, defaultFont());

    Command2 = makeButton(this, "Command2", QStringLiteral("Print these reminders"),
                          QStringLiteral("Prints out the reminders shown above."), {240, 6000, 2415, 495});
    Command2->setFont(defaultFont());

    setTabOrder(Command1, Text1);
    setTabOrder(Text1, Command2);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
}

void Form2::Form_Load() {
    show();
    mainWindow_.hide();
}

void Form2::Command1_Click() {
    hide();
    mainWindow_.show();
    mainWindow_.clearForm();
}

void Form2::closeEvent(QCloseEvent* event) {
    // The main window is hidden while this one is shown; closing this one must not leave the user with none.
    event->ignore();
    Command1_Click();
}

void Form2::keyPressEvent(QKeyEvent* event) {
    // A button with the focus takes Enter itself; from anywhere else, the list included, Enter reaches the window
    // and goes to the default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Command1->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace qb::app

// The reminder results window: its controls, printing the list, and leaving it for the main window.

#include "app/windows/reminder_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "app/layout/controls.h"
#include "app/printing/printing.h"
#include "app/text/text_codec.h"
#include "app/widgets/limited_text_edit.h"
#include "platform/clock.h"
#include "print/printouts.h"

namespace qb::app {

namespace {

using Controls = ReminderWindow::Controls;

constexpr ControlRow<Controls> kControls[] = {
    {&Controls::proceedButton,
     {.name = "proceedButton",
      .caption = "Click here to proceed into the main program",
      .toolTip = "Click here after viewing any alarms from today",
      .at = {3360, 6000, 3735, 495},
      .tabIndex = 0}},
    {&Controls::reminderList,
     {.name = "reminderList", .at = {120, 240, 9285, 5295}, .tabIndex = 1, .accessibleName = "Reminders for today"}},
    // Wider than the window, which cuts it off at its edge; its text ends well before that.
    {&Controls::explanation,
     {.name = "explanation",
      .caption = "Above you will find any records containing a reminder date of today.   Additional searches may be "
                 "performed later.",
      .at = {240, 5640, 10335, 255},
      .tabIndex = 2}},
    {&Controls::printButton,
     {.name = "printButton",
      .caption = "Print these reminders",
      .toolTip = "Prints out the reminders shown above.",
      .at = {240, 6000, 2415, 495},
      .tabIndex = 3}},
};

} // namespace

ReminderWindow::ReminderWindow(Services& services, QWidget& pointerWindow)
    : services_(services), pointerWindow_(pointerWindow) {
    setObjectName(QStringLiteral("ReminderWindow"));
    setWindowTitle(QStringLiteral("(Quillbox 1.2)  Reminder Date Alarm Search Results"));
    setFont(textBoxFont());
    buildControls(*this, ui_, controlTable());
    ui_.proceedButton->setDefault(true);
    ui_.reminderList->setEnterPressesDefaultButton(true);
    connect(ui_.proceedButton, &QPushButton::clicked, this, &ReminderWindow::proceed);
    connect(ui_.printButton, &QPushButton::clicked, this, &ReminderWindow::printReminders);
    sizeAndCentre(this, 9480, 6795);
}

ReminderWindow::~ReminderWindow() = default;

std::span<const ControlRow<ReminderWindow::Controls>> ReminderWindow::controlTable() {
    return kControls;
}

void ReminderWindow::showList(const std::string& list) {
    setFieldBytes(ui_.reminderList, list);
}

void ReminderWindow::proceed() {
    hide();
    emit proceeded();
}

void ReminderWindow::printReminders() {
    // The main window is hidden meanwhile, so its hourglass does not show over this window.
    runPrinterSetup(services_, this, &pointerWindow_);
    const platform::LocalDateTime now = services_.clock.now();
    // A printer that failed keeps this window up, so the list can still be printed once the printer is ready.
    if (!printAndFinish(services_, this, &pointerWindow_,
                        print::reminderPrintout(crlfText(ui_.reminderList).toStdString(), platform::dateText(now),
                                                platform::timeText(now))))
        return;
    // Leaving after the printout is the same as proceeding: this window hidden, the main window shown and emptied.
    proceed();
}

void ReminderWindow::closeEvent(QCloseEvent* event) {
    // The main window is hidden while this one is shown; closing this one must not leave the user with none.
    event->ignore();
    proceed();
}

void ReminderWindow::keyPressEvent(QKeyEvent* event) {
    // A button with the focus takes Enter itself; from anywhere else, the list included, Enter reaches the window
    // and goes to the default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        ui_.proceedButton->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace qb::app

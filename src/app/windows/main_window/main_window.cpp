// The main window's controls, their places and tab order, and the wiring of its events to its handlers.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <iterator>
#include <utility>

#include "app/layout/controls.h"
#include "app/services/dialogs.h"
#include "app/widgets/limited_text_edit.h"
#include "app/windows/about_window.h"
#include "app/windows/main_window/main_window.h"
#include "app/windows/reminder_window.h"
#include "store/record_file.h"
#include "store/settings.h"

namespace qb::app {

namespace {

constexpr int kFilterLimit = 2;
constexpr const char* kSearchStringTip = "Enter a word or exact phrase to search for here. ";

using Controls = MainWindow::Controls;

// The controls in the order of their tab indices; the filters sit in the frame "Use when searching". A label over a
// box, and the check box beside "R", reach a pixel into their neighbour: they paint no background and their text is
// far shorter than they are, so nothing of it shows there.
constexpr ControlRow<Controls> kControls[] = {
    {&Controls::searchButton,
     {.name = "searchButton",
      .caption = "&Search",
      .toolTip = "After entering in search string(s) and/or a reminder date, search for matching records by clicking "
                 "this.",
      .at = {2880, 1080, 1695, 495},
      .tabIndex = 0}},
    {&Controls::recordText,
     {.name = "recordText",
      .at = {120, 3600, 8895, 2655},
      .tabIndex = 1,
      .limit = static_cast<int>(store::kRecordTextLimit),
      .accessibleName = "Record text"}},
    {&Controls::reminderDate,
     {.name = "reminderDate",
      .toolTip = "Enter a date here to bring up any records with an alarm set to a particular date or set a date "
                 "here for a reminder later",
      .at = {120, 2880, 2655, 285},
      .tabIndex = 2,
      .accessibleName = "Reminder date mm/dd/yy"}},
    {&Controls::searchString1,
     {.name = "searchString1",
      .toolTip = kSearchStringTip,
      .at = {120, 1440, 1215, 285},
      .tabIndex = 3,
      .accessibleName = "Search string 1"}},
    {&Controls::recordNumber,
     {.name = "recordNumber",
      .toolTip = "Shows you the record number of a recalled record.  This  number also indicates its creation date "
                 "and time.",
      .at = {120, 480, 2655, 285},
      .tabIndex = 4,
      .accessibleName = "Record Number"}},
    {&Controls::reminderDateLabel,
     {.name = "reminderDateLabel",
      .caption = "Reminder date mm/dd/yy",
      .at = {360, 2640, 2175, 255},
      .tabIndex = 5,
      .labelFor = "reminderDate"}},
    {&Controls::searchStringsLabel,
     {.name = "searchStringsLabel",
      .caption = "Search Strings to look for:",
      .at = {360, 1080, 2175, 255},
      .tabIndex = 6,
      .labelFor = "searchString1"}},
    {&Controls::recordNumberLabel,
     {.name = "recordNumberLabel",
      .caption = "Record Number",
      .at = {360, 240, 2295, 255},
      .tabIndex = 7,
      .labelFor = "recordNumber"}},
    {&Controls::dataDirectoryLabel,
     {.name = "dataDirectoryLabel",
      .caption = "Location of data i.e., c:\\quill",
      .at = {360, 1920, 2535, 255},
      .tabIndex = 8,
      .labelFor = "dataDirectory"}},
    {&Controls::exitButton,
     {.name = "exitButton",
      .caption = "E&xit",
      .toolTip = "Click here to exit the program!",
      .at = {7080, 1920, 1695, 495},
      .tabIndex = 9}},
    {&Controls::saveButton,
     {.name = "saveButton",
      .caption = "Sa&ve Record",
      .toolTip = "Save or resave the currently displayed record.",
      .at = {4920, 240, 1815, 495},
      .tabIndex = 10}},
    {&Controls::clearButton,
     {.name = "clearButton",
      .caption = "&Clear form",
      .toolTip = "Clear out the current form",
      .at = {2880, 240, 1695, 495},
      .tabIndex = 11}},
    {&Controls::deleteButton,
     {.name = "deleteButton",
      .caption = "&Delete record",
      .toolTip = "Delete the currently displayed record.",
      .at = {7080, 240, 1695, 495},
      .tabIndex = 12}},
    {&Controls::checkAlarms,
     {.name = "checkAlarms",
      .caption = "Check alarms",
      .toolTip = "Click this check box to have the program check for reminders set to this date when the program "
                 "starts",
      .at = {7080, 3240, 1335, 255},
      .tabIndex = 13}},
    {&Controls::printButton,
     {.name = "printButton",
      .caption = "&Print current record",
      .toolTip = "Print out the current displayed record",
      .at = {4920, 1080, 1815, 495},
      .tabIndex = 14}},
    {&Controls::dataDirectory,
     {.name = "dataDirectory",
      .caption = store::kProgramDefaultDirectory,
      .toolTip = "Choose a directory to save your data in.   See the documentation about how to automatically add "
                 "additional directories to this text box!",
      .at = {120, 2160, 2655, 330},
      .tabIndex = 15,
      .accessibleName = "Location of data i.e., c:\\quill"}},
    {&Controls::importButton,
     {.name = "importButton",
      .caption = "&Import records",
      .toolTip = "Import records from other programs.  See the documentation for more information.",
      .at = {7080, 1080, 1695, 495},
      .tabIndex = 16}},
    {&Controls::creationFilters,
     {.name = "creationFilters",
      .caption = "Use when searching - increases speed",
      .at = {2880, 2640, 4095, 735},
      .tabIndex = 17}},
    {&Controls::monthFilter,
     {.name = "monthFilter",
      .toolTip = "Enter a 2 digit month here to speed up a search by only searching records made in the entered "
                 "month",
      .at = {120, 240, 375, 285},
      .tabIndex = 18,
      .limit = kFilterLimit,
      .frame = "creationFilters",
      .accessibleName = "2-digit month"}},
    {&Controls::monthLabel,
     {.name = "monthLabel",
      .caption = "2-digit month",
      .at = {600, 360, 975, 255},
      .tabIndex = 19,
      .frame = "creationFilters",
      .labelFor = "monthFilter"}},
    {&Controls::yearFilter,
     {.name = "yearFilter",
      .toolTip = "Enter a 2 or 4 digit year here to speed up a search by only searching records made in the entered "
                 "year",
      .at = {3120, 240, 495, 285},
      .tabIndex = 20,
      .limit = kFilterLimit,
      .frame = "creationFilters",
      .accessibleName = "Year"}},
    {&Controls::yearLabel,
     {.name = "yearLabel",
      .caption = "Yr",
      .at = {3720, 360, 255, 255},
      .tabIndex = 21,
      .frame = "creationFilters",
      .labelFor = "yearFilter"}},
    {&Controls::searchString2,
     {.name = "searchString2",
      .toolTip = kSearchStringTip,
      .at = {1560, 1440, 1215, 285},
      .tabIndex = 22,
      .accessibleName = "Search string 2"}},
    {&Controls::dayFilter,
     {.name = "dayFilter",
      .toolTip = "Enter a 2 digit day here to speed up a search by only searching records made in the entered day",
      .at = {1680, 240, 375, 285},
      .tabIndex = 23,
      .limit = kFilterLimit,
      .frame = "creationFilters",
      .accessibleName = "2-digit day"}},
    {&Controls::dayLabel,
     {.name = "dayLabel",
      .caption = "2-digit day",
      .at = {2160, 360, 735, 255},
      .tabIndex = 24,
      .frame = "creationFilters",
      .labelFor = "dayFilter"}},
    {&Controls::passwordButton,
     {.name = "passwordButton",
      .caption = "Password",
      .toolTip = "Allows a user to set up or delete a password for entry into the program",
      .at = {4920, 1920, 1815, 495},
      .tabIndex = 25}},
    {&Controls::setDefaultButton,
     {.name = "setDefaultButton",
      .caption = "Set as default",
      .toolTip = "Makes the selected directory the default when you start the program.",
      .at = {2880, 1920, 1695, 495},
      .tabIndex = 26}},
    {&Controls::aboutButton,
     {.name = "aboutButton",
      .caption = "About the author",
      .toolTip = "Hey, who is that genius author?",
      .at = {7080, 2640, 1695, 495},
      .tabIndex = 27}},
    {&Controls::reformatButton,
     {.name = "reformatButton",
      .caption = "R",
      .toolTip = "Click here to reformat the text in the large text box adding hard carriage returns to help with "
                 "printing at a later time.",
      .at = {8400, 3240, 375, 255},
      .tabIndex = 28,
      .accessibleName = "Reformat the record text"}},
};

} // namespace

MainWindow::MainWindow(Services& services, QWidget* parent) : QWidget(parent), services_(services) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("  Quillbox 1.2 - Quillbox for Linux contributors, 2026, see README"));
    setFont(defaultFont());
    buildControls();
    connectHandlers();
    sizeAndCentre(this, 9045, 6525);
}

MainWindow::~MainWindow() = default;

std::span<const ControlRow<MainWindow::Controls>> MainWindow::controlTable() {
    return kControls;
}

void MainWindow::buildControls() {
    app::buildControls(*this, ui_, controlTable());
    ui_.recordNumber->setReadOnly(true);
    QPalette grey = ui_.recordNumber->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Button));
    ui_.recordNumber->setPalette(grey);
    ui_.dataDirectory->setInsertPolicy(QComboBox::NoInsert); // the list holds only what start-up puts there
    ui_.dataDirectory->setCompleter(nullptr);                // typing must not silently change a path's letters
    // The caption sits on the frame's top line, so the filters at 240 twips are inside the frame, not on its line.
    ui_.creationFilters->setStyleSheet(
        QStringLiteral("QGroupBox#creationFilters { border: 1px solid palette(mid); margin-top: 6px; }"
                       "QGroupBox#creationFilters::title { subcontrol-origin: margin; left: 6px; "
                       "padding: 0 2px; top: -1px; }"));
}

void MainWindow::connectHandlers() {
    const std::pair<QPushButton*, void (MainWindow::*)()> buttons[] = {
        {ui_.searchButton, &MainWindow::search},
        {ui_.exitButton, &MainWindow::exitProgram},
        {ui_.saveButton, &MainWindow::saveRecord},
        {ui_.clearButton, &MainWindow::clearForm},
        {ui_.deleteButton, &MainWindow::deleteRecord},
        {ui_.passwordButton, &MainWindow::changePassword},
        {ui_.setDefaultButton, &MainWindow::setDefaultDirectory},
        {ui_.printButton, &MainWindow::printRecord},
        {ui_.importButton, &MainWindow::importRecords},
        {ui_.aboutButton, &MainWindow::showAbout},
        {ui_.reformatButton, &MainWindow::reformatText}};
    for (const auto& [button, handler] : buttons) {
        connect(button, &QPushButton::clicked, this, handler);
        button->installEventFilter(this); // for its access key, see eventFilter
    }
    // The directory check runs when the user leaves the box; the focus moves on a button's press or access key,
    // so the check comes before the button's operation.
    ui_.dataDirectory->installEventFilter(this);
    ui_.dataDirectory->lineEdit()->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut &&
        (watched == ui_.dataDirectory || watched == ui_.dataDirectory->lineEdit())) {
        leaveDirectoryBox(static_cast<QFocusEvent*>(event)->reason());
    } else if (event->type() == QEvent::Shortcut && directoryBoxHasFocus()) {
        // An access key presses its button without moving the focus. The user leaves the directory box all the
        // same, so the focus goes to the button first and the check runs before the button's operation.
        static_cast<QWidget*>(watched)->setFocus(Qt::ShortcutFocusReason);
    } else if (event->type() == QEvent::MouseButtonPress && watched == pressedDuringCheck_) {
        // The press that left the directory box comes in once the check's messages are gone, and its release went
        // to those messages. Taken as it stands it would leave the button drawn pressed and never clicked; so it is
        // dropped, and the click the user made is carried out once the press has been dealt with. Only the left
        // button clicks: a right or middle press moves the focus, so the check runs, but it runs no operation.
        if (!qobject_cast<QPushButton*>(watched)) // the push buttons keep this filter for their access keys
            watched->removeEventFilter(this);
        pressedDuringCheck_.clear();
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (button && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::directoryBoxHasFocus() const {
    const QWidget* focused = QApplication::focusWidget();
    return focused && (focused == ui_.dataDirectory || focused == ui_.dataDirectory->lineEdit());
}

void MainWindow::leaveDirectoryBox(Qt::FocusReason reason) {
    // A message box coming up or the list dropping down is not the user leaving the box.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    // The focus has already moved on: on a mouse press it is the control under the mouse, which gets the press
    // only after the check has run.
    QWidget* pressed = reason == Qt::MouseFocusReason ? QApplication::focusWidget() : nullptr;
    if (!checkDataDirectory() && pressed && pressed != this) {
        pressedDuringCheck_ = pressed;
        pressed->installEventFilter(this);
    }
}

void MainWindow::clearForm() {
    ui_.recordText->clear();
    ui_.reminderDate->clear();
    ui_.searchString1->clear();
    ui_.recordNumber->clear();
    ui_.monthFilter->clear();
    ui_.dayFilter->clear();
    ui_.yearFilter->clear();
    ui_.searchString2->clear();
}

ReminderWindow& MainWindow::reminderWindow() {
    if (!reminderWindow_) {
        reminderWindow_ = std::make_unique<ReminderWindow>(services_, *this);
        connect(reminderWindow_.get(), &ReminderWindow::proceeded, this, &MainWindow::leaveReminderWindow);
        reminderWindow_->show();
        hide();
    }
    return *reminderWindow_;
}

void MainWindow::unloadReminderWindow() {
    reminderWindow_.reset();
}

void MainWindow::leaveReminderWindow() {
    show();
    clearForm();
}

void MainWindow::showAbout() {
    services_.dialogs.setPointer(this, Pointer::Hourglass);
    if (!aboutWindow_) {
        aboutWindow_ = std::make_unique<AboutWindow>();
        connect(aboutWindow_.get(), &AboutWindow::returned, this, &MainWindow::returnFromAbout);
    }
    aboutWindow_->show();
    aboutWindow_->raise();
    aboutWindow_->activateWindow();
    services_.dialogs.setPointer(this, Pointer::Default);
}

void MainWindow::returnFromAbout() {
    show();
    raise();
    activateWindow();
    if (aboutWindow_) {
        aboutWindow_->hide();
        // Called from the about window's own button: it goes once its click handler has returned.
        aboutWindow_.release()->deleteLater();
    }
}

} // namespace qb::app

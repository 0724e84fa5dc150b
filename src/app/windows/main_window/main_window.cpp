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

#include "app/services/dialogs.h"
#include "app/widgets/controls.h"
#include "app/widgets/limited_text_edit.h"
#include "app/windows/about_window.h"
#include "app/windows/main_window/main_window.h"
#include "app/windows/reminder_window.h"
#include "store/record_file.h"
#include "store/settings.h"

namespace qb::app {

namespace {

constexpr int kFilterLimit = 2;
const QString kSearchStringTip = QStringLiteral("Enter a word or exact phrase to search for here. ");

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

void MainWindow::buildControls() {
    ui_.searchButton =
        makeButton(this, "searchButton", QStringLiteral("&Search"),
                   QStringLiteral("After entering in search string(s) and/or a reminder date, search for "
                                  "matching records by clicking this."),
                   {2880, 1080, 1695, 495});

    ui_.recordText = new LimitedTextEdit(this);
    ui_.recordText->setFont(textBoxFont());
    ui_.recordText->setMaxLength(static_cast<int>(store::kRecordTextLimit));
    setUpControl(ui_.recordText, "recordText", QStringLiteral("Record text"), QString(), {120, 3600, 8895, 2655});

    ui_.reminderDate =
        makeLineEdit(this, "reminderDate", QStringLiteral("Reminder date mm/dd/yy"),
                     QStringLiteral("Enter a date here to bring up any records with an alarm set to a particular "
                                    "date or set a date here for a reminder later"),
                     {120, 2880, 2655, 285});
    ui_.searchString1 = makeLineEdit(this, "searchString1", QStringLiteral("Search string 1"), kSearchStringTip,
                                     {120, 1440, 1215, 285});

    ui_.recordNumber =
        makeLineEdit(this, "recordNumber", QStringLiteral("Record Number"),
                     QStringLiteral("Shows you the record number of a recalled record.  This  number also "
                                    "indicates its creation date and time."),
                     {120, 480, 2655, 285});
    ui_.recordNumber->setReadOnly(true);
    QPalette grey = ui_.recordNumber->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Button));
    ui_.recordNumber->setPalette(grey);

    ui_.reminderDateLabel =
        makeLabel(this, "reminderDateLabel", QStringLiteral("Reminder date mm/dd/yy"), {360, 2640, 2175, 255});
    ui_.searchStringsLabel =
        makeLabel(this, "searchStringsLabel", QStringLiteral("Search Strings to look for:"), {360, 1080, 2175, 255});
    ui_.recordNumberLabel =
        makeLabel(this, "recordNumberLabel", QStringLiteral("Record Number"), {360, 240, 2295, 255});
    ui_.dataDirectoryLabel = makeLabel(this, "dataDirectoryLabel", QStringLiteral("Location of data i.e., c:\\quill"),
                                       {360, 1920, 2535, 255});

    ui_.exitButton = makeButton(this, "exitButton", QStringLiteral("E&xit"),
                                QStringLiteral("Click here to exit the program!"), {7080, 1920, 1695, 495});
    ui_.saveButton =
        makeButton(this, "saveButton", QStringLiteral("Sa&ve Record"),
                   QStringLiteral("Save or resave the currently displayed record."), {4920, 240, 1815, 495});
    ui_.clearButton = makeButton(this, "clearButton", QStringLiteral("&Clear form"),
                                 QStringLiteral("Clear out the current form"), {2880, 240, 1695, 495});
    ui_.deleteButton = makeButton(this, "deleteButton", QStringLiteral("&Delete record"),
                                  QStringLiteral("Delete the currently displayed record."), {7080, 240, 1695, 495});
    ui_.checkAlarms =
        makeCheckBox(this, "checkAlarms", QStringLiteral("Check alarms"),
                     QStringLiteral("Click this check box to have the program check for reminders set to this "
                                    "date when the program starts"),
                     {7080, 3240, 1335, 255});
    ui_.printButton = makeButton(this, "printButton", QStringLiteral("&Print current record"),
                                 QStringLiteral("Print out the current displayed record"), {4920, 1080, 1815, 495});

    ui_.dataDirectory = new QComboBox(this);
    ui_.dataDirectory->setEditable(true);
    ui_.dataDirectory->setInsertPolicy(QComboBox::NoInsert); // the list holds only what start-up puts there
    ui_.dataDirectory->setCompleter(nullptr);                // typing must not silently change a path's letters
    ui_.dataDirectory->setFont(textBoxFont());
    ui_.dataDirectory->setEditText(QString::fromLatin1(store::kProgramDefaultDirectory));
    setUpControl(ui_.dataDirectory, "dataDirectory", QStringLiteral("Location of data i.e., c:\\quill"),
                 QStringLiteral("Choose a directory to save your data in.   See the documentation about how to "
                                "automatically add additional directories to this text box!"),
                 {120, 2160, 2655, 330});

    ui_.importButton = makeButton(this, "importButton", QStringLiteral("&Import records"),
                                  QStringLiteral("Import records from other programs.  See the documentation for more "
                                                 "information."),
                                  {7080, 1080, 1695, 495});

    ui_.creationFilters = new QGroupBox(QStringLiteral("Use when searching - increases speed"), this);
    setUpControl(ui_.creationFilters, "creationFilters", ui_.creationFilters->title(), QString(),
                 {2880, 2640, 4095, 735});
    // The caption sits on the frame's top line, so the filters at 240 twips are inside the frame, not on its line.
    ui_.creationFilters->setStyleSheet(
        QStringLiteral("QGroupBox#creationFilters { border: 1px solid palette(mid); margin-top: 6px; }"
                       "QGroupBox#creationFilters::title { subcontrol-origin: margin; left: 6px; "
                       "padding: 0 2px; top: -1px; }"));
    ui_.monthFilter =
        makeLineEdit(ui_.creationFilters, "monthFilter", QStringLiteral("2-digit month"),
                     QStringLiteral("Enter a 2 digit month here to speed up a search by only searching records "
                                    "made in the entered month"),
                     {120, 240, 375, 285}, kFilterLimit);
    ui_.monthLabel =
        makeLabel(ui_.creationFilters, "monthLabel", QStringLiteral("2-digit month"), {600, 360, 975, 255});
    ui_.yearFilter =
        makeLineEdit(ui_.creationFilters, "yearFilter", QStringLiteral("Year"),
                     QStringLiteral("Enter a 2 or 4 digit year here to speed up a search by only searching "
                                    "records made in the entered year"),
                     {3120, 240, 495, 285}, kFilterLimit);
    ui_.yearLabel = makeLabel(ui_.creationFilters, "yearLabel", QStringLiteral("Yr"), {3720, 360, 255, 255});
    ui_.searchString2 = makeLineEdit(this, "searchString2", QStringLiteral("Search string 2"), kSearchStringTip,
                                     {1560, 1440, 1215, 285});
    ui_.dayFilter =
        makeLineEdit(ui_.creationFilters, "dayFilter", QStringLiteral("2-digit day"),
                     QStringLiteral("Enter a 2 digit day here to speed up a search by only searching records "
                                    "made in the entered day"),
                     {1680, 240, 375, 285}, kFilterLimit);
    ui_.dayLabel = makeLabel(ui_.creationFilters, "dayLabel", QStringLiteral("2-digit day"), {2160, 360, 735, 255});

    ui_.passwordButton =
        makeButton(this, "passwordButton", QStringLiteral("Password"),
                   QStringLiteral("Allows a user to set up or delete a password for entry into the program"),
                   {4920, 1920, 1815, 495});
    ui_.setDefaultButton =
        makeButton(this, "setDefaultButton", QStringLiteral("Set as default"),
                   QStringLiteral("Makes the selected directory the default when you start the program."),
                   {2880, 1920, 1695, 495});
    ui_.aboutButton = makeButton(this, "aboutButton", QStringLiteral("About the author"),
                                 QStringLiteral("Hey, who is that genius author?"), {7080, 2640, 1695, 495});
    ui_.reformatButton =
        makeButton(this, "reformatButton", QStringLiteral("R"),
                   QStringLiteral("Click here to reformat the text in the large text box adding hard carriage "
                                  "returns to help with printing at a later time."),
                   {8400, 3240, 375, 255});
    ui_.reformatButton->setAccessibleName(QStringLiteral("Reformat the record text"));

    // Screen readers announce a box together with the label beside it (the directory box is read by its text).
    const std::pair<QLabel*, QWidget*> labelled[] = {{ui_.reminderDateLabel, ui_.reminderDate},
                                                     {ui_.searchStringsLabel, ui_.searchString1},
                                                     {ui_.recordNumberLabel, ui_.recordNumber},
                                                     {ui_.dataDirectoryLabel, ui_.dataDirectory},
                                                     {ui_.monthLabel, ui_.monthFilter},
                                                     {ui_.yearLabel, ui_.yearFilter},
                                                     {ui_.dayLabel, ui_.dayFilter}};
    for (const auto& [label, box] : labelled)
        label->setBuddy(box);

    // The tab order of the table; labels and the frame take no focus.
    QWidget* const order[] = {ui_.searchButton,  ui_.recordText,     ui_.reminderDate,     ui_.searchString1,
                              ui_.recordNumber,  ui_.exitButton,     ui_.saveButton,       ui_.clearButton,
                              ui_.deleteButton,  ui_.checkAlarms,    ui_.printButton,      ui_.dataDirectory,
                              ui_.importButton,  ui_.monthFilter,    ui_.yearFilter,       ui_.searchString2,
                              ui_.dayFilter,     ui_.passwordButton, ui_.setDefaultButton, ui_.aboutButton,
                              ui_.reformatButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
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

// The main window's controls, their places and tab order, and the wiring of its events to its handlers.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <iterator>
#include <utility>

#include "app/controls.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/reminder_window.h"
#include "app/about_window.h"
#include "app/limited_text_edit.h"

namespace qb::app {

namespace {

constexpr int kRecordTextLimit = 30000;
constexpr int kFilterLimit = 2;
const QString kSearchStringTip = QStringLiteral("Enter a word or exact phrase to search for here. ");

} // namespace

Form1::Form1(Services& services, QWidget* parent) : QWidget(parent), services_(services) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("  Quillbox 1.2 - Quillbox for Linux contributors, 2026, see README"));
    setFont(defaultFont());
    buildControls();
    connectHandlers();
    sizeAndCentre(this, 9045, 6525);
}

Form1::~Form1() = default;

void Form1::buildControls() {
    Command1 = makeButton(this, "Command1", QStringLiteral("&Search"),
                          QStringLiteral("After entering in search string(s) and/or a reminder date, search for "
                                         "matching records by clicking this."),
                          {2880, 1080, 1695, 495});

    Text1 = new LimitedTextEdit(this);
    Text1->setFont(textBoxFont());
    Text1->setMaxLength(kRecordTextLimit);
    setUpControl(Text1, "Text1", QStringLiteral("Record text"), QString(), {120, 3600, 8895, 2655});

    Text2 = makeLineEdit(this, "Text2", QStringLiteral("Reminder date mm/dd/yy"),
                         QStringLiteral("Enter a date here to bring up any records with an alarm set to a particular "
                                        "date or set a date here for a reminder later"),
                         {120, 2880, 2655, 285});
    text3 = makeLineEdit(this, "text3", QStringLiteral("Search string 1"), kSearchStringTip, {120, 1440, 1215, 285});

    Text5 = makeLineEdit(this, "Text5", QStringLiteral("Record Number"),
                         QStringLiteral("Shows you the record number of a recalled record.  This  number also "
                                        "indicates its creation date and time."),
                         {120, 480, 2655, 285});
    Text5->setReadOnly(true);
    QPalette grey = Text5->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Button));
    Text5->setPalette(grey);

    Label1 = makeLabel(this, "Label1", QStringLiteral("Reminder date mm/dd/yy"), {360, 2640, 2175, 255});
    Label2 = makeLabel(this, "Label2", QStringLiteral("Search Strings to look for:"), {360, 1080, 2175, 255});
    Label3 = makeLabel(this, "Label3", QStringLiteral("Record Number"), {360, 240, 2295, 255});
    Label4 = makeLabel(this, "Label4", QStringLiteral("Location of data i.e., c:\\quill"), {360, 1920, 2535, 255});

    Command2 = makeButton(this, "Command2", QStringLiteral("E&xit"), QStringLiteral("Click here to exit the program!"),
                          {7080, 1920, 1695, 495});
    Command3 = makeButton(this, "Command3", QStringLiteral("Sa&ve Record"),
                          QStringLiteral("Save or resave the currently displayed record."), {4920, 240, 1815, 495});
    Command4 = makeButton(this, "Command4", QStringLiteral("&Clear form"), QStringLiteral("Clear out the current form"),
                          {2880, 240, 1695, 495});
    Command5 = makeButton(this, "Command5", QStringLiteral("&Delete record"),
                          QStringLiteral("Delete the currently displayed record."), {7080, 240, 1695, 495});
    Check1 = makeCheckBox(this, "Check1", QStringLiteral("Check alarms"),
                          QStringLiteral("Click this check box to have the program check for reminders set to this "
                                         "date when the program starts"),
                          {7080, 3240, 1335, 255});
    Command8 = makeButton(this, "Command8", QStringLiteral("&Print current record"),
                          QStringLiteral("Print out the current displayed record"), {4920, 1080, 1815, 495});

    Combo1 = new QComboBox(this);
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert); // the list holds only what start-up puts there
    Combo1->setCompleter(nullptr);                // typing must not silently change a path's letters
    Combo1->setFont(textBoxFont());
    Combo1->setEditText(QStringLiteral("c:\\quill"));
    setUpControl(Combo1, "Combo1", QStringLiteral("Location of data i.e., c:\\quill"),
                 QStringLiteral("Choose a directory to save your data in.   See the documentation about how to "
                                "automatically add additional directories to this text box!"),
                 {120, 2160, 2655, 330});

    Command9 = makeButton(this, "Command9", QStringLiteral("&Import records"),
                          QStringLiteral("Import records from other programs.  See the documentation for more "
                                         "information."),
                          {7080, 1080, 1695, 495});

    Frame1 = new QGroupBox(QStringLiteral("Use when searching - increases speed"), this);
    setUpControl(Frame1, "Frame1", Frame1->title(), QString(), {2880, 2640, 4095, 735});
    // The caption sits on the frame's top line, so the filters at 240 twips are inside the frame, not on its line.
    Frame1->setStyleSheet(QStringLiteral("QGroupBox#Frame1 { border: 1px solid palette(mid); margin-top: 6px; }"
                                         "QGroupBox#Frame1::title { subcontrol-origin: margin; left: 6px; "
                                         "padding: 0 2px; top: -1px; }"));
    Text4 = makeLineEdit(Frame1, "Text4", QStringLiteral("2-digit month"),
                         QStringLiteral("Enter a 2 digit month here to speed up a search by only searching records "
                                        "made in the entered month"),
                         {120, 240, 375, 285}, kFilterLimit);
    Label5 = makeLabel(Frame1, "Label5", QStringLiteral("2-digit month"), {600, 360, 975, 255});
    Text6 = makeLineEdit(Frame1, "Text6", QStringLiteral("Year"),
                         QStringLiteral("Enter a 2 or 4 digit year here to speed up a search by only searching "
                                        "records made in the entered year"),
                         {3120, 240, 495, 285}, kFilterLimit);
    Label6 = makeLabel(Frame1, "Label6", QStringLiteral("Yr"), {3720, 360, 255, 255});
    Text7 = makeLineEdit(this, "Text7", QStringLiteral("Search string 2"), kSearchStringTip, {1560, 1440, 1215, 285});
    Text8 = makeLineEdit(Frame1, "Text8", QStringLiteral("2-digit day"),
                         QStringLiteral("Enter a 2 digit day here to speed up a search by only searching records "
                                        "made in the entered day"),
                         {1680, 240, 375, 285}, kFilterLimit);
    Label7 = makeLabel(Frame1, "Label7", QStringLiteral("2-digit day"), {2160, 360, 735, 255});

    Command6 = makeButton(this, "Command6", QStringLiteral("Password"),
                          QStringLiteral("Allows a user to set up or delete a password for entry into the program"),
                          {4920, 1920, 1815, 495});
    Command7 = makeButton(this, "Command7", QStringLiteral("Set as default"),
                          QStringLiteral("Makes the selected directory the default when you start the program."),
                          {2880, 1920, 1695, 495});
    Command10 = makeButton(this, "Command10", QStringLiteral("About the author"),
                           QStringLiteral("Hey, who is that genius author?"), {7080, 2640, 1695, 495});
    Command11 = makeButton(this, "Command11", QStringLiteral("R"),
                           QStringLiteral("Click here to reformat the text in the large text box adding hard carriage "
                                          "returns to help with printing at a later time."),
                           {8400, 3240, 375, 255});
    Command11->setAccessibleName(QStringLiteral("Reformat the record text"));

    // Screen readers announce a box together with the label beside it (the directory box is read by its text).
    const std::pair<QLabel*, QWidget*> labelled[] = {{Label1, Text2},  {Label2, text3}, {Label3, Text5},
                                                     {Label4, Combo1}, {Label5, Text4}, {Label6, Text6},
                                                     {Label7, Text8}};
    for (const auto& [label, box] : labelled)
        label->setBuddy(box);

    // The tab order of the table; labels and the frame take no focus.
    QWidget* const order[] = {Command1, Text1,    Text2,  text3,    Text5,    Command2,  Command3,
                              Command4, Command5, Check1, Command8, Combo1,   Command9,  Text4,
                              Text6,    Text7,    Text8,  Command6, Command7, Command10, Command11};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void Form1::connectHandlers() {
    const std::pair<QPushButton*, void (Form1::*)()> buttons[] = {
        {Command1, &Form1::Command1_Click},   {Command2, &Form1::Command2_Click},  {Command3, &Form1::Command3_Click},
        {Command4, &Form1::Command4_Click},   {Command5, &Form1::Command5_Click},  {Command6, &Form1::Command6_Click},
        {Command7, &Form1::Command7_Click},   {Command8, &Form1::Command8_Click},  {Command9, &Form1::Command9_Click},
        {Command10, &Form1::Command10_Click}, {Command11, &Form1::Command11_Click}};
    for (const auto& [button, handler] : buttons) {
        connect(button, &QPushButton::clicked, this, handler);
        button->installEventFilter(this); // for its access key, see eventFilter
    }
    // The directory check runs when the user leaves the box; the focus moves on a button's press or access key,
    // so the check comes before the button's operation.
    Combo1->installEventFilter(this);
    Combo1->lineEdit()->installEventFilter(this);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == Combo1 || watched == Combo1->lineEdit())) {
        leaveDirectoryBox(static_cast<QFocusEvent*>(event)->reason());
    } else if (event->type() == QEvent::Shortcut && directoryBoxHasFocus()) {
        // An access key presses its button without moving the focus. The user leaves the directory box all the
        // same, so the focus goes to the button first and the check runs before the button's operation.
        static_cast<QWidget*>(watched)->setFocus(Qt::ShortcutFocusReason);
    } else if (event->type() == QEvent::MouseButtonPress && watched == pressedDuringCheck_) {
        // The press that left the directory box comes in once the check's messages are gone, and its release went
        // to those messages. Taken as it stands it would leave the button drawn pressed and never clicked; so it is
        // dropped, and the click the user made is carried out once the press has been dealt with.
        watched->removeEventFilter(this);
        pressedDuringCheck_.clear();
        if (auto* button = qobject_cast<QAbstractButton*>(watched))
            QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool Form1::directoryBoxHasFocus() const {
    const QWidget* focused = QApplication::focusWidget();
    return focused && (focused == Combo1 || focused == Combo1->lineEdit());
}

void Form1::leaveDirectoryBox(Qt::FocusReason reason) {
    // A message box coming up or the list dropping down is not the user leaving the box.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    // The focus has already moved on: on a mouse press it is the control under the mouse, which gets the press
    // only after the check has run.
    QWidget* pressed = reason == Qt::MouseFocusReason ? QApplication::focusWidget() : nullptr;
    if (!Combo1_LostFocus() && pressed && pressed != this) {
        pressedDuringCheck_ = pressed;
        pressed->installEventFilter(this);
    }
}

void Form1::clearForm() {
    Text1->clear();
    Text2->clear();
    text3->clear();
    Text5->clear();
    Text4->clear();
    Text8->clear();
    Text6->clear();
    Text7->clear();
}

Form2& Form1::form2() {
    if (!form2_) {
        form2_ = std::make_unique<Form2>(services_, *this);
        form2_->Form_Load();
    }
    return *form2_;
}

void Form1::unloadForm2() {
    form2_.reset();
}

void Form1::Command10_Click() {
    services_.dialogs.setPointer(this, Pointer::Hourglass);
    if (!form3_)
        form3_ = std::make_unique<Form3>(*this);
    form3_->show();
    form3_->raise();
    form3_->activateWindow();
    services_.dialogs.setPointer(this, Pointer::Default);
}

void Form1::unloadForm3() {
    if (form3_) {
        form3_->hide();
        // Called from the about window's own button: it goes once its click handler has returned.
        form3_.release()->deleteLater();
    }
}

} // namespace qb::app

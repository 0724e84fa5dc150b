#pragma once
// The main window: it holds the record on screen, the search criteria and the data directory in its controls.
// Its handlers are named after their control and event, as the buttons and boxes are.

#include <QPointer>
#include <QWidget>
#include <memory>

#include "app/services.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qb::store {
class Settings;
}

namespace qb::app {

class Form2;
class Form3;
class LimitedTextEdit;

/** The main window of Quillbox. */
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(Services& services, QWidget* parent = nullptr);
    ~Form1() override;

    // Controls, in tab order.
    QPushButton* Command1;  ///< "&Search"
    LimitedTextEdit* Text1; ///< the record text
    QLineEdit* Text2;       ///< the reminder date
    QLineEdit* text3;       ///< search string 1
    QLineEdit* Text5;       ///< the record number, read-only
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QPushButton* Command2; ///< "E&xit"
    QPushButton* Command3; ///< "Sa&ve Record"
    QPushButton* Command4; ///< "&Clear form"
    QPushButton* Command5; ///< "&Delete record"
    QCheckBox* Check1;     ///< "Check alarms"
    QPushButton* Command8; ///< "&Print current record"
    QComboBox* Combo1;     ///< the data directory
    QPushButton* Command9; ///< "&Import records"
    QGroupBox* Frame1;     ///< holds the three creation-date filters
    QLineEdit* Text4;      ///< month filter
    QLabel* Label5;
    QLineEdit* Text6; ///< year filter
    QLabel* Label6;
    QLineEdit* Text7; ///< search string 2
    QLineEdit* Text8; ///< day filter
    QLabel* Label7;
    QPushButton* Command6;  ///< "Password"
    QPushButton* Command7;  ///< "Set as default"
    QPushButton* Command10; ///< "About the author"
    QPushButton* Command11; ///< "R", reformat

    /** The start-up procedure: settings, password, directory list, then the main window or the reminder check. */
    void Form_Load();
    /** Search. */
    void Command1_Click();
    /** Exit: stores the alarm flag and ends the program. */
    void Command2_Click();
    /** Save or resave the record on screen. */
    void Command3_Click();
    /** Clear the form. */
    void Command4_Click();
    /** Delete the record on screen. */
    void Command5_Click();
    /** Set or delete the password. */
    void Command6_Click();
    /** Set the data directory as the default. */
    void Command7_Click();
    /** Print the record on screen. */
    void Command8_Click();
    /** Import records from a comma-delimited file. */
    void Command9_Click();
    /** Show the about window. */
    void Command10_Click();
    /** Reformat the record text with hard line breaks. */
    void Command11_Click();
    /** The data directory check, run whenever the directory box loses the focus; false when it fell back to the
     *  program default directory after telling the user. */
    bool Combo1_LostFocus();

    /** The start-up reminder check: collects the records due today into the reminder window and shows it. */
    void runReminderCheck(const std::string& today);

    /** Empties the eight text boxes in order; the directory and the alarm box keep their contents. */
    void clearForm();

    /** The reminder window, loaded (and so shown) on first use. */
    Form2& form2();
    /** Unloads the reminder window. */
    void unloadForm2();
    /** The about window while it is loaded, else null. */
    Form3* form3() const { return form3_.get(); }
    /** Unloads the about window; safe to call from the about window's own handlers. */
    void unloadForm3();

    /** The connections to the world this window was given. */
    Services& services() { return services_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    /** Closing the window through its frame ends the program (the alarm flag is stored only by Exit). */
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void connectHandlers();
    bool askStartupPassword(const store::Settings& settings); // false when the program has been ended
    void ensureProgramDefaultDirectory();
    bool directoryBoxHasFocus() const;
    /** Runs the directory check as the focus leaves the directory box; see eventFilter. */
    void leaveDirectoryBox(Qt::FocusReason reason);

    /** The control whose mouse press moved the focus out of the directory box while the check's messages were up;
     *  the press itself arrives after them, without its release. */
    QPointer<QWidget> pressedDuringCheck_;

    Services& services_;
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<Form3> form3_;
};

} // namespace qb::app

#pragma once
// The main window: it holds the record on screen, the search criteria and the data directory in its controls.
// Its handlers are named for what they do: each reads the controls, calls the pure layers and writes the controls back.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <span>

#include "app/layout/controls.h"
#include "app/services/services.h"
#include "store/record_file.h"

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

class ReminderWindow;
class AboutWindow;
class LimitedTextEdit;

/** The main window of Quillbox. */
class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(Services& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    /** The controls, in tab order: what the handlers read and write, and what tests look at and press. */
    struct Controls {
        QPushButton* searchButton = nullptr;
        LimitedTextEdit* recordText = nullptr; ///< at most 30000 characters once stored
        QLineEdit* reminderDate = nullptr;     ///< mm/dd/yy, or empty for a record without a reminder
        QLineEdit* searchString1 = nullptr;
        QLineEdit* recordNumber = nullptr; ///< read-only; the number of a recalled record, empty for a new one
        QLabel* reminderDateLabel = nullptr;
        QLabel* searchStringsLabel = nullptr;
        QLabel* recordNumberLabel = nullptr;
        QLabel* dataDirectoryLabel = nullptr;
        QPushButton* exitButton = nullptr;
        QPushButton* saveButton = nullptr;
        QPushButton* clearButton = nullptr;
        QPushButton* deleteButton = nullptr;
        QCheckBox* checkAlarms = nullptr; ///< whether the reminder check runs at the next start
        QPushButton* printButton = nullptr;
        QComboBox* dataDirectory = nullptr; ///< the record files' folder, editable; lists the folders start-up read
        QPushButton* importButton = nullptr;
        QGroupBox* creationFilters = nullptr; ///< holds the three creation-date filters
        QLineEdit* monthFilter = nullptr;     ///< two characters: the record number's month
        QLabel* monthLabel = nullptr;
        QLineEdit* yearFilter = nullptr; ///< two characters: its last one is the record number's year digit
        QLabel* yearLabel = nullptr;
        QLineEdit* searchString2 = nullptr;
        QLineEdit* dayFilter = nullptr; ///< two characters: the record number's day
        QLabel* dayLabel = nullptr;
        QPushButton* passwordButton = nullptr;
        QPushButton* setDefaultButton = nullptr;
        QPushButton* aboutButton = nullptr;
        QPushButton* reformatButton = nullptr;
    };

    /** The table the controls are built from. */
    static std::span<const ControlRow<Controls>> controlTable();

    /** The start-up procedure: settings, password, directory list, then the main window or the reminder check. */
    void startUp();
    /** Walks the data directory for records that match the search strings, reminder date and filters, showing each
     *  match and asking whether to go on. */
    void search();
    /** Exit: stores the alarm flag and ends the program. */
    void exitProgram();
    /** Save or resave the record on screen. */
    void saveRecord();
    /** Delete the record on screen. */
    void deleteRecord();
    /** Set or delete the password. */
    void changePassword();
    /** Set the data directory as the default. */
    void setDefaultDirectory();
    /** Print the record on screen. */
    void printRecord();
    /** Import records from a comma-delimited file. */
    void importRecords();
    /** Show the about window. */
    void showAbout();
    /** Reformat the record text with hard line breaks. */
    void reformatText();
    /** The data directory check, run whenever the directory box loses the focus; false when it fell back to the
     *  program default directory after telling the user. */
    bool checkDataDirectory();

    /** Puts the record of a number in the data directory on screen, as a match of the search shows it, so that a
     *  resave replaces exactly what was read; says so when it cannot be read. */
    void showRecordNumber(const std::string& number);
    /** Puts words into the first search box, for the user to search with. */
    void showSearchWords(const QString& words);
    /** Runs an action once the user has left the reminder window of start-up, or at once when it is not up. */
    void afterReminderWindow(const std::function<void()>& action);

    /** The start-up reminder check: collects the records due today into the reminder window and shows it. */
    void runReminderCheck(const std::string& today);

    /** Empties the eight text boxes in order; the directory and the alarm box keep their contents. */
    void clearForm();

    /** The reminder window, loaded (and so shown instead of this window) on first use. */
    ReminderWindow& reminderWindow();
    /** Unloads the reminder window. */
    void unloadReminderWindow();
    /** The about window while it is loaded, else null. */
    AboutWindow* aboutWindow() const { return aboutWindow_.get(); }

    /** The controls, for the input checks and for tests. */
    const Controls& controls() const { return ui_; }
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
    /** Puts a recalled record on screen as the current record, with its number; a resave replaces the version it was
     *  recalled as. */
    void showRecord(store::Recalled recalled);
    /** Saves the record typed as a new one (no number) or resaves the one shown under its number. */
    store::SaveResult saveOrResave(const std::string& directory, const std::string& number,
                                   const store::Record& record);
    /** Empties the search strings and filters, as every walk does at its end; the record on screen stays. */
    void clearCriteria();
    /** The user left the reminder window: this window comes back with its boxes empty. */
    void leaveReminderWindow();
    /** The user left the about window: this window comes to the front, the about window is unloaded. */
    void returnFromAbout();

    Controls ui_;
    /** The control whose mouse press moved the focus out of the directory box while the check's messages were up;
     *  the press itself arrives after them, without its release. */
    QPointer<QWidget> pressedDuringCheck_;

    /** The record last put on screen, as it was recalled: a resave of its number replaces only that version. */
    store::Recalled shown_;

    Services& services_;
    std::unique_ptr<ReminderWindow> reminderWindow_;
    std::unique_ptr<AboutWindow> aboutWindow_;
};

} // namespace qb::app

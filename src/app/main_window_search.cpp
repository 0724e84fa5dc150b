// The main window's search and the start-up reminder check: one walk over the data directory with one match
// rule, the search asking after each match, the check collecting the matches into the reminder window.

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/reminder_window.h"
#include "app/main_window_checks.h"
#include "app/limited_text_edit.h"
#include "app/text_codec.h"
#include "search/record_walk.h"
#include "search/reminder_list.h"

namespace qb::app {
namespace {

// Puts a found record on screen as the current record, with its number.
void showRecord(Form1& form, const search::ListedFile& file) {
    setRecordText(form.Text1, file.record.text);
    form.Text2->setText(fromCp1252(file.record.reminderDate));
    form.Text5->setText(fromCp1252(file.number));
}

// After a walk the search strings and filters are empty; the record on screen stays.
void clearCriteria(Form1& form) {
    form.text3->clear();
    form.Text4->clear();
    form.Text8->clear();
    form.Text6->clear();
    form.Text7->clear();
}

} // namespace

void Form1::Command1_Click() {
    if (!inputChecksPass(*this))
        return;
    // The criteria are taken once: the boxes are overwritten by the matches shown.
    const auto typed = storableTexts(*this, std::array{Combo1->currentText(), Text4->text(), Text8->text(),
                                                       Text6->text(), text3->text(), Text7->text(), Text2->text()});
    if (!typed)
        return;
    const auto& [directory, month, day, year, string1, string2, reminderDate] = *typed;
    Dialogs& dialogs = services_.dialogs;
    dialogs.setPointer(this, Pointer::Hourglass);
    search::RecordWalk walk(services_.drives, search::filePattern(directory, month, day, year),
                            search::SearchCriteria::fromTyped(string1, string2, reminderDate));
    while (const std::optional<search::ListedFile> found = walk.next()) {
        showRecord(*this, *found);
        dialogs.setPointer(this, Pointer::Default);
        const bool goOn =
            dialogs.question(this, QStringLiteral("Record found!  Continue search?"), QStringLiteral("Match found"));
        dialogs.setPointer(this, Pointer::Hourglass);
        if (!goOn)
            break;
    }
    dialogs.beep();
    dialogs.setPointer(this, Pointer::Default);
    dialogs.message(this, QStringLiteral("Search complete!"), QStringLiteral("Attention"));
    clearCriteria(*this);
}

void Form1::runReminderCheck(const std::string& today) {
    Dialogs& dialogs = services_.dialogs;
    dialogs.setPointer(this, Pointer::Hourglass);
    search::ReminderList reminders;
    std::optional<search::ListedFile> last;
    // The directory comes from the settings files, which the code page always holds; the filters are empty.
    if (const std::optional<std::string> directory = dataDirectoryOf(*this)) {
        search::RecordWalk walk(services_.drives, search::filePattern(*directory, "", "", ""),
                                search::SearchCriteria::fromTyped("", "", today));
        while (std::optional<search::ListedFile> file = walk.nextFile()) {
            form2(); // the results window is on screen from the first file on
            if (file->matches) {
                reminders.add(file->record);
                last = std::move(file);
            }
        }
    }
    // Nothing is drawn while the check runs, so each box is written once, with what the last match left in it.
    if (last)
        showRecord(*this, *last);
    setRecordText(form2().Text1, reminders.text());
    dialogs.beep();
    dialogs.setPointer(this, Pointer::Default);
    clearCriteria(*this);
    form2().show();
}

} // namespace qb::app

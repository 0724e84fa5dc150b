// The main window's search and the start-up reminder check: one walk over the data directory with one match
// rule, the search asking after each match, the check collecting the matches into the reminder window. The walk
// reads on a thread of its own, so that the windows stay drawn and answer screen readers however slow the folder.

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <utility>

#include "app/services/dialogs.h"
#include "app/widgets/background_work.h"
#include "app/widgets/input_blocker.h"
#include "app/widgets/limited_text_edit.h"
#include "app/widgets/text_codec.h"
#include "app/windows/main_window/input_checks.h"
#include "app/windows/main_window/main_window.h"
#include "app/windows/message_titles.h"
#include "app/windows/reminder_window.h"
#include "search/record_walk.h"
#include "search/reminder_check.h"
#include "search/reminder_list.h"

namespace qb::app {

void MainWindow::showRecord(const search::ListedFile& file) {
    setRecordText(ui_.recordText, file.record.text);
    ui_.reminderDate->setText(shownField(file.record.reminderDate));
    ui_.recordNumber->setText(fromCp1252(file.number));
}

void MainWindow::clearCriteria() {
    ui_.searchString1->clear();
    ui_.monthFilter->clear();
    ui_.dayFilter->clear();
    ui_.yearFilter->clear();
    ui_.searchString2->clear();
}

void MainWindow::search() {
    if (!inputChecksPass(*this))
        return;
    // The criteria are taken once: the boxes are overwritten by the matches shown.
    const auto typed = storableTexts(
        *this, std::array{ui_.dataDirectory->currentText(), ui_.monthFilter->text(), ui_.dayFilter->text(),
                          ui_.yearFilter->text(), fieldText(ui_.searchString1->text()),
                          fieldText(ui_.searchString2->text()), fieldText(ui_.reminderDate->text())});
    if (!typed)
        return;
    const auto& [directory, month, day, year, string1, string2, date] = *typed;
    Dialogs& dialogs = services_.dialogs;
    dialogs.setPointer(this, Pointer::Hourglass);
    // The walk reads beside the windows' thread, which meanwhile draws them and answers the desktop and screen
    // readers; no input reaches them but a question's.
    const InputBlocker blocked;
    search::RecordWalk walk(services_.drives, search::filePattern(directory, month, day, year),
                            search::SearchCriteria::fromTyped(string1, string2, date));
    for (;;) {
        std::optional<search::ListedFile> found;
        runBesideEventLoop([&] { found = walk.next(); });
        if (!found)
            break;
        showRecord(*found);
        dialogs.setPointer(this, Pointer::Default);
        const bool goOn =
            dialogs.question(this, QStringLiteral("Record found!  Continue search?"), titles::kMatchFound);
        dialogs.setPointer(this, Pointer::Hourglass);
        if (!goOn)
            break;
    }
    dialogs.beep();
    dialogs.setPointer(this, Pointer::Default);
    dialogs.message(this, QStringLiteral("Search complete!"), titles::kAttentionPlain);
    clearCriteria();
}

void MainWindow::runReminderCheck(const std::string& today) {
    Dialogs& dialogs = services_.dialogs;
    dialogs.setPointer(this, Pointer::Hourglass);
    search::ReminderList reminders;
    std::optional<search::ListedFile> last;
    // The directory comes from the settings files, which the code page always holds; the filters are empty.
    if (const std::optional<std::string> directory = dataDirectoryOf(*this)) {
        const InputBlocker blocked;
        search::RecordWalk walk = search::reminderCheckWalk(services_.drives, *directory, today);
        // The whole walk reads beside the windows' thread, as the search does; the results window is on screen
        // from the first file on.
        runBesideEventLoop([&] {
            bool first = true;
            while (std::optional<search::ListedFile> file = walk.nextFile()) {
                if (std::exchange(first, false))
                    QMetaObject::invokeMethod(
                        this, [this] { reminderWindow(); }, Qt::QueuedConnection);
                if (file->matches) {
                    reminders.add(file->record);
                    last = std::move(file);
                }
            }
        });
    }
    // Each box is written once, with what the last match left in it.
    if (last)
        showRecord(*last);
    setRecordText(reminderWindow().reminderList, reminders.text());
    dialogs.beep();
    dialogs.setPointer(this, Pointer::Default);
    clearCriteria();
    reminderWindow().show();
}

} // namespace qb::app

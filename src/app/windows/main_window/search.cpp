// The main window's search and the start-up reminder check: one walk over the data directory with one match
// rule, the search asking after each match, the check collecting the matches into the reminder window. The walk
// reads on a thread of its own, so that the windows stay drawn and answer screen readers however slow the folder,
// and a request to close a window meanwhile offers to end the program, should the folder never answer.

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>
#include <mutex>
#include <utility>

#include "app/jobs/background_work.h"
#include "app/jobs/input_blocker.h"
#include "app/services/dialogs.h"
#include "app/services/program_exit.h"
#include "app/services/services.h"
#include "app/text/message_titles.h"
#include "app/text/text_codec.h"
#include "app/widgets/limited_text_edit.h"
#include "app/windows/main_window/input_checks.h"
#include "app/windows/main_window/main_window.h"
#include "app/windows/reminder_window.h"
#include "remind/reminder_check.h"
#include "remind/reminder_list.h"
#include "search/record_walk.h"
#include "store/record_store.h"

namespace qb::app {

namespace {

// When the reminder window is given the matches found since: 50 ms after the walk starts, then at twice the last
// interval, up to a second. The list is seen to grow from the start, while a long walk that finds thousands of
// matches redraws a full list (a few milliseconds each time) only now and then.
constexpr int kFirstListMs = 50;
constexpr int kLongestListIntervalMs = 1000;

// The reminder list as the walk finds its entries, shared between the walk, which adds them, and the windows'
// thread, which shows them.
class FoundReminders {
public:
    void add(const store::Record& record) {
        const std::scoped_lock lock(mutex_);
        list_.add(record);
        changed_ = true;
    }
    /** The list, when it changed since it was last taken. */
    std::optional<std::string> takeChanged() {
        const std::scoped_lock lock(mutex_);
        if (!std::exchange(changed_, false))
            return std::nullopt;
        return list_.text();
    }
    /** The whole list. */
    std::string text() {
        const std::scoped_lock lock(mutex_);
        return list_.text();
    }

private:
    std::mutex mutex_;
    remind::ReminderList list_;
    bool changed_ = false;
};

// A request to close a window while a walk reads asks whether to end the program, No the default. A folder that
// never answers (a network share gone away) holds its read in the kernel for good, and with it the walk: Yes ends
// the program there and then, writing nothing, and leaves that read behind.
InputBlocker::CloseRequest askToEnd(Services& services) {
    return [&services](QWidget& window) {
        if (services.dialogs.confirm(&window,
                                     QStringLiteral("Quillbox is still reading the data folder.  End Quillbox now?"),
                                     titles::kAttention))
            services.exit.endNow();
    };
}

} // namespace

void MainWindow::showRecord(store::Recalled recalled) {
    setFieldBytes(ui_.recordText, recalled.record.text);
    ui_.reminderDate->setText(boxText(recalled.record.reminderDate));
    ui_.recordNumber->setText(fromCp1252(recalled.number));
    shown_ = std::move(recalled);
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
    // The walk lives beside the windows' thread from its opening of the folder to the end of its last reads, while
    // that thread draws the windows and answers the desktop and screen readers; no input reaches them but a
    // question's, and a request to close one of them.
    const InputBlocker blocked(askToEnd(services_));
    const std::string pattern = search::filePattern(directory, month, day, year);
    search::SearchCriteria criteria = search::SearchCriteria::fromTyped(string1, string2, date);
    std::optional<search::RecordWalk> walk;
    runBesideEventLoop([&] { walk.emplace(services_.drives, pattern, std::move(criteria)); });
    for (;;) {
        std::optional<store::Recalled> recalled;
        // A match is read once more as it is shown, with the version of its file, which a resave replaces.
        runBesideEventLoop([&, &folder = directory] {
            if (std::optional<search::ListedFile> found = walk->next())
                recalled = store::recallRecord(services_.drives, folder, found->number, std::move(found->record));
        });
        if (!recalled)
            break;
        showRecord(std::move(*recalled));
        dialogs.setPointer(this, Pointer::Default);
        const bool goOn =
            dialogs.question(this, QStringLiteral("Record found!  Continue search?"), titles::kMatchFound);
        dialogs.setPointer(this, Pointer::Hourglass);
        if (!goOn)
            break;
    }
    runBesideEventLoop([&] { walk.reset(); }); // the readers end with their reads in flight
    dialogs.beep();
    dialogs.setPointer(this, Pointer::Default);
    dialogs.message(this, QStringLiteral("Search complete!"), titles::kAttentionPlain);
    clearCriteria();
}

void MainWindow::runReminderCheck(const std::string& today) {
    Dialogs& dialogs = services_.dialogs;
    dialogs.setPointer(this, Pointer::Hourglass);
    FoundReminders reminders;
    std::optional<search::ListedFile> last;
    std::optional<store::Recalled> recalled;
    // The directory comes from the settings files, which the code page always holds; the filters are empty.
    if (const std::optional<std::string> directory = dataDirectoryOf(*this)) {
        const InputBlocker blocked(askToEnd(services_));
        // The whole walk, from opening the folder to its last read, lives beside the windows' thread, as the search
        // does. The results window is on screen from the first file on, and its list grows there as the matches are
        // found.
        QTimer showFound;
        connect(&showFound, &QTimer::timeout, this, [&] {
            showFound.setInterval(std::min(2 * showFound.interval(), kLongestListIntervalMs));
            if (const std::optional<std::string> list = reminders.takeChanged())
                reminderWindow().showList(*list);
        });
        showFound.start(kFirstListMs);
        runBesideEventLoop([&] {
            search::RecordWalk walk = remind::reminderCheckWalk(services_.drives, *directory, today);
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
            if (last)
                recalled = store::recallRecord(services_.drives, *directory, last->number, std::move(last->record));
        });
    }
    // The record boxes are written once, with what the last match left in them; the list once more, whole.
    if (recalled)
        showRecord(std::move(*recalled));
    reminderWindow().showList(reminders.text());
    dialogs.beep();
    dialogs.setPointer(this, Pointer::Default);
    clearCriteria();
    reminderWindow().show();
}

} // namespace qb::app

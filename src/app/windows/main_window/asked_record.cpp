// What the command line asks the main window to show once start-up is over: a record by its number, as the desktop's
// search opens it, or words in the first search box.

#include <QComboBox>
#include <QLineEdit>

#include "app/jobs/background_work.h"
#include "app/jobs/input_blocker.h"
#include "app/services/dialogs.h"
#include "app/text/message_titles.h"
#include "app/text/text_codec.h"
#include "app/windows/main_window/input_checks.h"
#include "app/windows/main_window/main_window.h"
#include "app/windows/reminder_window.h"
#include "store/record_store.h"

namespace qb::app {

void MainWindow::afterReminderWindow(const std::function<void()>& action) {
    // Leaving the reminder window empties the boxes first: the action comes after that.
    if (reminderWindow_)
        connect(reminderWindow_.get(), &ReminderWindow::proceeded, this, action, Qt::SingleShotConnection);
    else
        action();
}

void MainWindow::showRecordNumber(const std::string& number) {
    const std::optional<std::string> directory = dataDirectoryOf(*this);
    // Shown as a search shows it: with the version of its file, which a resave replaces.
    std::optional<store::Recalled> recalled;
    if (directory) {
        const InputBlocker blocked(this); // a folder on a share may keep the read waiting
        runBesideEventLoop([&] { recalled = store::recallRecord(services_.drives, *directory, number); });
    }
    if (!recalled || !recalled->version) {
        services_.dialogs.message(this,
                                  QStringLiteral("The record %1 could not be read from %2.")
                                      .arg(fromCp1252(number), ui_.dataDirectory->currentText()),
                                  titles::kAttention);
        return;
    }
    showRecord(std::move(*recalled));
}

void MainWindow::showSearchWords(const QString& words) {
    ui_.searchString1->setText(words);
}

} // namespace qb::app

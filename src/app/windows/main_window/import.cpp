// The main window's import: every run of N fields of a comma-delimited file becomes a new record file in the data
// directory, two seconds apart. The record on screen is not touched.

#include <QComboBox>
#include <QFile>
#include <algorithm>
#include <memory>

#include "app/jobs/input_blocker.h"
#include "app/services/dialogs.h"
#include "app/text/message_titles.h"
#include "app/text/text_codec.h"
#include "app/windows/main_window/input_checks.h"
#include "app/windows/main_window/main_window.h"
#include "import/fields_answer.h"
#include "import/import_run.h"
#include "platform/cp1252.h"
#include "platform/drive_map.h"
#include "store/record_store.h"

namespace qb::app {
namespace {

const QString kProblem = QStringLiteral("There was a problem importing your file.  Please read the documention.");

// Asks until an answer passes the text test and converts to a count of fields; nothing on Cancel or an empty
// answer. An answer that passes the text test but is no whole number from 1 to 32767 is asked for again too.
std::optional<int> askFieldsPerRecord(Dialogs& dialogs, QWidget* parent) {
    for (;;) {
        const QString answer =
            dialogs.inputBox(parent, QStringLiteral("Enter the number of items/groups in quotes per record (1-100)"),
                             QStringLiteral("Your input is needed!"), QString());
        if (answer.isEmpty())
            return std::nullopt;
        const std::string text = answer.toStdString();
        if (!import::answerSortsInRange(text))
            continue;
        if (const std::optional<int> fields = import::fieldsPerRecord(text))
            return fields;
    }
}

// The file dialog gives a path of this system; a drive-letter path (typed by hand) is mapped like any other.
std::string importFilePath(const platform::DriveMap& drives, const QString& chosen) {
    if (chosen.startsWith(QLatin1Char('/')))
        return QFile::encodeName(chosen).toStdString();
    // A name the code page cannot hold names no file: opening it fails and the import takes the problem path.
    const std::optional<std::string> narrowed = toCp1252(chosen);
    return narrowed ? drives.resolve(*narrowed) : std::string();
}

// The problem message, with the reason after it when there is one to tell.
QString problemMessage(const QString& reason) {
    return reason.isEmpty() ? kProblem : kProblem + QStringLiteral("\n\n") + reason;
}

QString reasonOf(const import::ImportResult& result) {
    if (result.unmappable)
        return unmappableMessage(QString::fromStdString(platform::describeCodePoint(*result.unmappable)));
    return QString::fromStdString(import::unreadableTextReason(result.problem));
}

// Tells the progress window how far the import has come and passes the user's Stop on to the import.
class ProgressWatcher final : public import::ImportWatcher {
public:
    explicit ProgressWatcher(ProgressWindow& window) : window_(window) {}
    void begin(std::size_t records) override {
        total_ = records;
        if (total_ > 0)
            show(1, 0);
    }
    // The text names the record that comes next; after the last one, the wait that ends the import.
    void recordWritten(std::size_t written) override { show(std::min(written + 1, total_), written); }
    bool stopRequested() override { return window_.stopRequested(); }

private:
    void show(std::size_t record, std::size_t written) {
        window_.update(QString::fromStdString(import::progressText(record, total_)), static_cast<int>(written),
                       static_cast<int>(total_));
    }
    ProgressWindow& window_;
    std::size_t total_ = 0;
};

// The import's clock: its two-second waits serve the windows through the progress window.
class ServingClock final : public platform::Clock {
public:
    ServingClock(platform::Clock& clock, ProgressWindow& window) : clock_(clock), window_(window) {}
    platform::LocalDateTime now() const override { return clock_.now(); }
    std::chrono::steady_clock::time_point elapsedNow() const override { return clock_.elapsedNow(); }
    void waitUntil(std::chrono::steady_clock::time_point deadline) override { window_.waitUntil(clock_, deadline); }

private:
    platform::Clock& clock_;
    ProgressWindow& window_;
};

// Runs the import under its progress window. No input reaches the main window meanwhile; the window goes when the
// import has ended.
// (The trailing return type keeps the formatter from reading a leading "import" as a module import.)
auto importWithProgress(MainWindow& form, const std::string& path, int fields, const std::string& folder)
    -> import::ImportResult {
    const InputBlocker blocked(&form);
    const std::unique_ptr<ProgressWindow> window = form.services().dialogs.showProgress(
        &form, QStringLiteral("Importing records"), QStringLiteral("Reading the file..."),
        QStringLiteral("Stop the import after the record being written?"));
    ProgressWatcher watcher(*window);
    ServingClock clock(form.services().clock, *window);
    return import::importRecords(path, fields, folder, clock, &watcher);
}

QString stoppedMessage(std::size_t imported) {
    return QStringLiteral("The import was stopped: %1 imported into the specified directory. The remaining records "
                          "were not imported.")
        .arg(imported == 1 ? QStringLiteral("1 record was") : QStringLiteral("%1 records were").arg(imported));
}

// The import up to its last message; the caller sets the default pointer back however it ends.
void runImport(MainWindow& form) {
    Dialogs& dialogs = form.services().dialogs;
    const std::optional<int> fields = askFieldsPerRecord(dialogs, &form);
    if (!fields)
        return;
    // The directory is read once, now. A character the record paths cannot hold ends the import at once.
    const std::optional<std::string> directory = dataDirectoryOf(form);
    if (!directory) {
        dialogs.message(&form, problemMessage(unstorableTextMessage(form.controls().dataDirectory->currentText())),
                        titles::kAttentionPlain);
        return;
    }
    const std::string folder = store::dataDirectoryFolder(form.services().drives, *directory);

    dialogs.message(&form,
                    QStringLiteral("On the next screen, choose the text file (comma delimited) that you want to open."),
                    titles::kAttention);
    const QString chosen = dialogs.openFile(&form, QStringLiteral("all files (*.*)|*.*| Text Files (*.txt)|*.txt"), 2);
    if (chosen.isEmpty())
        return;
    dialogs.message(
        &form,
        QStringLiteral(
            "The importing process takes a long time (2 seconds/record).  Press Enter to begin - BE PATIENT!"),
        titles::kAttention);
    dialogs.setPointer(&form, Pointer::Hourglass);

    const import::ImportResult result =
        importWithProgress(form, importFilePath(form.services().drives, chosen), *fields, folder);
    if (result.stopped) {
        dialogs.jobEndMessage(&form, stoppedMessage(result.numbers.size()), titles::kAttention);
        return;
    }
    if (result.ok()) {
        dialogs.jobEndMessage(&form, QStringLiteral("The records have been imported into the specified directory!"),
                              titles::kAttention);
        return;
    }
    dialogs.jobEndMessage(&form, problemMessage(reasonOf(result)), titles::kAttentionPlain);
}

} // namespace

void MainWindow::importRecords() {
    runImport(*this);
    services_.dialogs.setPointer(this, Pointer::Default);
}

} // namespace qb::app

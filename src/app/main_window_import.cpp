// The main window's import: every run of N fields of a comma-delimited file becomes a new record file in the data
// directory, two seconds apart. The record on screen is not touched.

#include <QComboBox>
#include <QFile>

#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/main_window_checks.h"
#include "app/message_titles.h"
#include "app/text_codec.h"
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

// The import up to its last message; the caller sets the default pointer back however it ends.
void runImport(MainWindow& form) {
    Dialogs& dialogs = form.services().dialogs;
    const std::optional<int> fields = askFieldsPerRecord(dialogs, &form);
    if (!fields)
        return;
    // The directory is read once, now. A character the record paths cannot hold ends the import at once.
    const std::optional<std::string> directory = dataDirectoryOf(form);
    if (!directory) {
        dialogs.message(&form, problemMessage(unstorableTextMessage(form.dataDirectory->currentText())),
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
        import::importRecords(importFilePath(form.services().drives, chosen), *fields, folder, form.services().clock);
    if (result.ok()) {
        dialogs.message(&form, QStringLiteral("The records have been imported into the specified directory!"),
                        titles::kAttention);
        return;
    }
    dialogs.message(&form, problemMessage(reasonOf(result)), titles::kAttentionPlain);
}

} // namespace

void MainWindow::importRecords() {
    runImport(*this);
    services_.dialogs.setPointer(this, Pointer::Default);
}

} // namespace qb::app

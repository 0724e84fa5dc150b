// The main window's record handlers: save, delete, the data directory check, print and the reformat.

#include <QComboBox>
#include <QLineEdit>

#include "app/printing/printing.h"
#include "app/services/dialogs.h"
#include "app/text/message_titles.h"
#include "app/text/text_codec.h"
#include "app/widgets/limited_text_edit.h"
#include "app/windows/main_window/input_checks.h"
#include "app/windows/main_window/main_window.h"
#include "platform/clock.h"
#include "platform/drive_map.h"
#include "print/printouts.h"
#include "print/reformat.h"
#include "store/directory_probe.h"
#include "store/record_file.h"
#include "store/record_store.h"
#include "store/settings.h"

namespace qb::app {
namespace {

QString notSavedMessage(const QString& directory, const platform::Status& status) {
    return QStringLiteral("Your record could not be saved in %1 (%2). Nothing was written; the record is still on "
                          "screen.")
        .arg(directory, QString::fromStdString(status.describe()));
}

// A record changed elsewhere since it was shown keeps that version at its number; the text is a new record.
QString savedMessage(const store::SaveResult& saved) {
    if (saved.changedElsewhere.empty())
        return QStringLiteral("Your record has been saved!");
    return QStringLiteral("The record %1 was changed elsewhere since it was shown, so it has been left as it is "
                          "there.  Your text has been saved as a new record, %2.")
        .arg(fromCp1252(saved.changedElsewhere), fromCp1252(saved.number));
}

} // namespace

store::SaveResult MainWindow::saveOrResave(const std::string& directory, const std::string& number,
                                           const store::Record& record) {
    if (number.empty())
        return store::saveRecord(services_.drives, directory, record, services_.clock.now());
    // A resave replaces only the version of the record that was shown under that number.
    const store::Recalled shown = shown_.number == number ? shown_ : store::Recalled{number, {}, std::nullopt};
    return store::resaveRecord(services_.drives, directory, shown, record, services_.clock.now());
}

void MainWindow::saveRecord() {
    // The folder is probed before the input checks; one that cannot be written is told once they have passed.
    const std::optional<std::string> probed = dataDirectoryOf(*this);
    const platform::Status probe = probed ? store::probeForSave(services_.drives, *probed) : platform::Status{};
    if (!inputChecksPass(*this))
        return;
    const QString typed = crlfText(ui_.recordText);
    if (typed.isEmpty()) {
        services_.dialogs.message(this, QStringLiteral("You can't save an empty text box!"), titles::kAlert);
        return;
    }
    const auto texts = storableTexts(*this, std::array{ui_.dataDirectory->currentText(), ui_.recordNumber->text(),
                                                       fieldText(ui_.reminderDate->text()), fieldText(typed)});
    if (!texts)
        return;
    const auto& [directory, number, date, text] = *texts;
    const store::SaveResult saved =
        probe.ok() ? saveOrResave(directory, number, {date, text}) : store::SaveResult{probe, {}, {}};
    if (!saved.ok()) {
        services_.dialogs.message(this, notSavedMessage(ui_.dataDirectory->currentText(), saved.status),
                                  titles::kAlert);
        return;
    }
    services_.dialogs.message(this, savedMessage(saved), titles::kSaved);
    ui_.reminderDate->clear();
    ui_.searchString1->clear();
    ui_.recordNumber->clear();
    ui_.recordText->clear();
}

void MainWindow::deleteRecord() {
    if (ui_.recordNumber->text().isEmpty()) {
        services_.dialogs.message(this, QStringLiteral("There is no record number specified to delete!"),
                                  titles::kAttention);
        return;
    }
    // A folder or number that the code page cannot hold names no record file.
    const std::optional<std::string> directory = dataDirectoryOf(*this);
    const std::optional<std::string> number = toCp1252(ui_.recordNumber->text());
    const store::DeleteResult deleted = directory && number
                                            ? store::deleteRecord(services_.drives, *directory, *number)
                                            : store::DeleteResult{store::DeleteResult::Kind::NotFound, {}};
    if (deleted.kind == store::DeleteResult::Kind::NotFound) {
        services_.dialogs.message(this, QStringLiteral("Cannot find that file to delete"), titles::kAttention);
        return;
    }
    if (deleted.kind == store::DeleteResult::Kind::Failed) {
        services_.dialogs.message(this,
                                  QStringLiteral("The record %1 could not be deleted (%2). It is still there.")
                                      .arg(ui_.recordNumber->text(), QString::fromStdString(deleted.status.describe())),
                                  titles::kAttention);
        return;
    }
    services_.dialogs.message(this, QStringLiteral("Record deleted!"), titles::kAttention);
    clearForm();
}

bool MainWindow::checkDataDirectory() {
    const std::optional<std::string> directory = dataDirectoryOf(*this);
    const bool usable = directory && store::probeDataDirectory(services_.drives, *directory).ok();
    if (usable)
        return true;
    services_.dialogs.message(this,
                              QStringLiteral("The directory you have specified does not exist.  Please create it."),
                              titles::kAttentionPlain);
    services_.dialogs.message(this, QStringLiteral("Directory being changed back to program default of C:\\QUILL"),
                              titles::kAttentionPlain);
    ui_.dataDirectory->setEditText(QString::fromLatin1(store::kProgramDefaultDirectory));
    return false;
}

void MainWindow::printRecord() {
    runPrinterSetup(services_, this, this);
    // The boxes are read after the font dialog: what they hold then is what gets printed.
    printAndFinish(
        services_, this, this,
        print::recordPrintout(ui_.reminderDate->text().toStdString(), crlfText(ui_.recordText).toStdString()));
}

void MainWindow::reformatText() {
    // Reformatted in whole characters, so a character the record files cannot store is kept as it is.
    const std::u32string result = print::reformatText(crlfText(ui_.recordText).toStdU32String());
    if (result.size() > store::kRecordTextLimit) {
        services_.dialogs.message(this,
                                  QStringLiteral("The reformatted text would be longer than %1 characters, so the "
                                                 "text has been left as it was.")
                                      .arg(store::kRecordTextLimit),
                                  titles::kAttention);
        return;
    }
    setCrlfText(ui_.recordText, QString::fromStdU32String(result));
    services_.dialogs.message(this, QStringLiteral("The text has been reformatted.  Click SAVE to save changes."),
                              titles::kAttention);
}

} // namespace qb::app

#include "app/windows/main_window/input_checks.h"

#include <QComboBox>
#include <QLineEdit>

#include "app/services/dialogs.h"
#include "app/text/message_titles.h"
#include "app/text/text_codec.h"
#include "app/widgets/limited_text_edit.h"
#include "app/windows/main_window/main_window.h"
#include "store/input_checks.h"

namespace qb::app {
namespace {

// A box's text narrowed for the checks: a character the code page cannot hold becomes a question mark, which
// keeps the character positions the reminder date check looks at. Whether such text may be stored is up to the
// operation, after these checks.
std::string forChecks(const QString& text) {
    std::string out;
    for (const QChar c : text)
        out += toCp1252(QString(c)).value_or("?");
    return out;
}

} // namespace

std::optional<std::string> dataDirectoryOf(const MainWindow& form) {
    return toCp1252(form.controls().dataDirectory->currentText());
}

bool inputChecksPass(MainWindow& form) {
    const MainWindow::Controls& ui = form.controls();
    store::CheckedBoxes checked;
    checked.directory = forChecks(ui.dataDirectory->currentText());
    checked.reminderDate = forChecks(ui.reminderDate->text());
    const QString quoteChecked[] = {crlfText(ui.recordText),  ui.reminderDate->text(), ui.searchString1->text(),
                                    ui.monthFilter->text(),   ui.recordNumber->text(), ui.yearFilter->text(),
                                    ui.searchString2->text(), ui.dayFilter->text()};
    for (std::size_t i = 0; i < checked.quoteChecked.size(); ++i)
        checked.quoteChecked[i] = forChecks(quoteChecked[i]);
    const std::optional<store::Refusal> refusal = store::firstInputRefusal(checked);
    if (refusal)
        form.services().dialogs.message(&form, QString::fromStdString(refusal->message), titles::kAlert);
    return !refusal;
}

bool narrowOrRefuse(MainWindow& form, const QString* texts, std::string* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        std::optional<std::string> narrowed = toCp1252(texts[i]);
        if (!narrowed) {
            form.services().dialogs.message(&form, unstorableTextMessage(texts[i]), titles::kAlert);
            return false;
        }
        out[i] = std::move(*narrowed);
    }
    return true;
}

} // namespace qb::app

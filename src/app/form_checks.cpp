#include "app/form_checks.h"

#include <QComboBox>
#include <QLineEdit>
#include <array>

#include "app/dialogs.h"
#include "app/form1.h"
#include "app/limited_text_edit.h"
#include "app/text_codec.h"
#include "store/input_checks.h"

namespace qb::app {
namespace {

// A box's text narrowed for the checks: a character the code page cannot hold becomes a question mark, which
// keeps the character positions the reminder date check looks at; the caller refuses such text afterwards.
std::string forChecks(const QString& text) {
    std::string out;
    for (const QChar c : text) {
        const BoxText narrowed = toCp1252(QString(c));
        out += narrowed.unmappable ? std::string("?") : narrowed.bytes;
    }
    return out;
}

} // namespace

std::optional<std::string> dataDirectoryOf(const Form1& form) {
    BoxText directory = toCp1252(form.Combo1->currentText());
    if (directory.unmappable)
        return std::nullopt;
    return directory.bytes;
}

bool inputChecksPass(Form1& form) {
    const std::array<QString, 9> boxes = {form.Combo1->currentText(), form.Text1->toPlainText(), form.Text2->text(),
                                          form.text3->text(),         form.Text4->text(),        form.Text5->text(),
                                          form.Text6->text(),         form.Text7->text(),        form.Text8->text()};
    store::CheckedBoxes checked;
    checked.directory = forChecks(boxes[0]);
    checked.reminderDate = forChecks(boxes[2]);
    for (std::size_t i = 0; i < checked.quoteChecked.size(); ++i)
        checked.quoteChecked[i] = forChecks(boxes[i + 1]);
    std::optional<QString> refusal;
    if (const auto failed = store::firstInputRefusal(checked)) {
        refusal = QString::fromStdString(failed->message);
    } else {
        for (const QString& text : boxes) {
            if (const BoxText narrowed = toCp1252(text); narrowed.unmappable) {
                refusal = unmappableMessage(*narrowed.unmappable);
                break;
            }
        }
    }
    if (refusal)
        form.services().dialogs.message(&form, *refusal, QStringLiteral("Alert!"));
    return !refusal;
}

} // namespace qb::app

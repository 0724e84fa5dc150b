#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/form1.h"
#include "app/limited_text_edit.h"
#include "app/printer_setup.h"
#include "print/printouts.h"

namespace qb::app {

void Form1::Command8_Click() {
    runPrinterSetup(services_, this, this);
    // The boxes are read after the font dialog: what they hold then is what gets printed.
    std::optional<std::string> reminderDate = printableText(services_, this, this, Text2->text());
    if (!reminderDate)
        return;
    std::optional<std::string> recordText = printableText(services_, this, this, Text1->toPlainText());
    if (!recordText)
        return;
    printAndFinish(services_, this, this, print::recordPrintout(*reminderDate, *recordText));
}

} // namespace qb::app

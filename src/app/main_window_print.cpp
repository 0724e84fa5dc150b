#include <QLineEdit>

#include "app/main_window.h"
#include "app/limited_text_edit.h"
#include "app/printer_setup.h"
#include "app/text_codec.h"
#include "print/printouts.h"

namespace qb::app {

void Form1::Command8_Click() {
    runPrinterSetup(services_, this, this);
    // The boxes are read after the font dialog: what they hold then is what gets printed.
    printAndFinish(services_, this, this,
                   print::recordPrintout(Text2->text().toStdString(), storedText(Text1).toStdString()));
}

} // namespace qb::app

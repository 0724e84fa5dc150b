#include <QLineEdit>

#include "app/services/printer_setup.h"
#include "app/widgets/limited_text_edit.h"
#include "app/widgets/text_codec.h"
#include "app/windows/main_window.h"
#include "print/printouts.h"

namespace qb::app {

void MainWindow::printRecord() {
    runPrinterSetup(services_, this, this);
    // The boxes are read after the font dialog: what they hold then is what gets printed.
    printAndFinish(services_, this, this,
                   print::recordPrintout(reminderDate->text().toStdString(), storedText(recordText).toStdString()));
}

} // namespace qb::app

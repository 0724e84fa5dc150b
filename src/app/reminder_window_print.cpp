#include "app/main_window.h"
#include "app/reminder_window.h"
#include "app/limited_text_edit.h"
#include "app/printer_setup.h"
#include "app/text_codec.h"
#include "platform/clock.h"
#include "print/printouts.h"

namespace qb::app {

void Form2::Command2_Click() {
    // The main window is hidden meanwhile, so its hourglass does not show over this window.
    runPrinterSetup(services_, this, &mainWindow_);
    const platform::LocalDateTime now = services_.clock.now();
    // A printer that failed keeps this window up, so the list can still be printed once the printer is ready.
    if (!printAndFinish(
            services_, this, &mainWindow_,
            print::reminderPrintout(storedText(Text1).toStdString(), platform::dateText(now), platform::timeText(now))))
        return;
    // Leaving after the printout is the same as proceeding: this window hidden, the main window shown and emptied.
    Command1_Click();
}

} // namespace qb::app

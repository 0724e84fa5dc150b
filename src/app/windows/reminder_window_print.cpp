#include "app/services/printer_setup.h"
#include "app/widgets/limited_text_edit.h"
#include "app/widgets/text_codec.h"
#include "app/windows/main_window.h"
#include "app/windows/reminder_window.h"
#include "platform/clock.h"
#include "print/printouts.h"

namespace qb::app {

void ReminderWindow::printReminders() {
    // The main window is hidden meanwhile, so its hourglass does not show over this window.
    runPrinterSetup(services_, this, &mainWindow_);
    const platform::LocalDateTime now = services_.clock.now();
    // A printer that failed keeps this window up, so the list can still be printed once the printer is ready.
    if (!printAndFinish(services_, this, &mainWindow_,
                        print::reminderPrintout(storedText(reminderList).toStdString(), platform::dateText(now),
                                                platform::timeText(now))))
        return;
    // Leaving after the printout is the same as proceeding: this window hidden, the main window shown and emptied.
    proceed();
}

} // namespace qb::app

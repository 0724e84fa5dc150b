// The print procedure both printouts share: the printer set-up with its font dialog, then the printout.

#include "app/printing/printing.h"

#include <QString>

#include "app/services/dialogs.h"
#include "app/services/printer.h"
#include "app/services/services.h"
#include "app/text/message_titles.h"

namespace qb::app {

void runPrinterSetup(Services& services, QWidget* dialogOwner, QWidget* mainWindow) {
    services.dialogs.setPointer(mainWindow, Pointer::Hourglass);
    // The dialog opens on the printer's font, so confirming it unchanged prints as a cancel does. A part the printer
    // refuses leaves it with what it had; the printout goes on all the same.
    if (std::optional<FontChoice> choice =
            services.dialogs.chooseFont(dialogOwner, kFontDialogFlags, services.printer.font()))
        (void)services.printer.setFont(*choice);
}

bool printAndFinish(Services& services, QWidget* parent, QWidget* mainWindow, const print::PrintedItems& items) {
    const PrintResult outcome = services.printer.print(items, print::kFirstLineStart);
    services.dialogs.setPointer(mainWindow, Pointer::Default);
    if (!outcome.message.isEmpty())
        services.dialogs.message(parent, outcome.message, titles::kAttention);
    return outcome.ok();
}

} // namespace qb::app

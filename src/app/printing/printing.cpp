// The print procedure both printouts share: the printer set-up with its font dialog, then the printout's lines.

#include "app/printing/printing.h"

#include <QString>

#include "app/services/dialogs.h"
#include "app/services/printer.h"
#include "app/services/services.h"
#include "app/text/message_titles.h"

namespace qb::app {

namespace {

// Each copy runs only when the one before it was accepted, so a refused value leaves the rest as they were.
void copyFontChoice(Printer& printer, const FontChoice& choice) {
    if (!printer.setFontName(choice.name) || !printer.setFontSize(choice.pointSize))
        return;
    if (!printer.setFontBold(choice.bold) || !printer.setFontItalic(choice.italic))
        return;
    if (!printer.setFontUnderline(choice.underline) || !printer.setFontStrikeout(choice.strikeout))
        return;
    printer.setTextColor(choice.color);
}

} // namespace

void runPrinterSetup(Services& services, QWidget* dialogOwner, QWidget* mainWindow) {
    services.printer.setDrawingSettings(kPrintStartX, kPrintStartY);
    services.printer.setHighQuality();
    services.dialogs.setPointer(mainWindow, Pointer::Hourglass);
    // The dialog opens on the printer's font, so confirming it unchanged prints as a cancel does.
    if (std::optional<FontChoice> choice =
            services.dialogs.chooseFont(dialogOwner, kFontDialogFlags, services.printer.currentFont()))
        copyFontChoice(services.printer, *choice);
}

bool printAndFinish(Services& services, QWidget* parent, QWidget* mainWindow, const print::PrintedItems& items) {
    for (const std::string& item : items)
        services.printer.printLine(QString::fromStdString(item));
    const PrintOutcome outcome = services.printer.endDocument();
    services.dialogs.setPointer(mainWindow, Pointer::Default);
    if (!outcome.message.isEmpty())
        services.dialogs.message(parent, outcome.message, titles::kAttention);
    return outcome.ok;
}

} // namespace qb::app

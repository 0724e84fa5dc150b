#pragma once
// The steps both printouts share: the font dialog before the printout, then the printout, with a word to the user
// when it did not simply go to the printer.

#include "print/printouts.h"

class QWidget;

namespace qb::app {

struct Services;

/** The printer set-up: the hourglass on the main window, the font dialog of dialogOwner opened on the printer's font,
 *  and on confirmation the chosen font and colour given to the printer. */
void runPrinterSetup(Services& services, QWidget* dialogOwner, QWidget* mainWindow);

/** Prints the items and puts the default pointer back on the main window; a PDF file instead of a printer, or a
 *  printer that failed, is told to the user in a message owned by parent. False when the printer failed. */
bool printAndFinish(Services& services, QWidget* parent, QWidget* mainWindow, const print::PrintedItems& items);

} // namespace qb::app

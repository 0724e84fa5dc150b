#pragma once
// The steps both printouts share: preparing the printer and the font before the first line, and ending the
// document with a word to the user when it did not simply go to the printer.

#include "print/printouts.h"

class QWidget;

namespace qb::app {

struct Services;

/** Where the first line of a printout starts, in twips from the top left of the printable area: the two drawing
 *  settings of the printer set-up. */
inline constexpr float kPrintStartX = 99.0f;
inline constexpr float kPrintStartY = 100.0f;

/** The printer set-up: start position and high quality, the hourglass on the main window, the font dialog of
 *  dialogOwner, and on confirmation the chosen font and colour copied to the printer in the order name, size, bold,
 *  italic, underline, strikeout, colour, stopping at the first copy the printer refuses. */
void runPrinterSetup(Services& services, QWidget* dialogOwner, QWidget* mainWindow);

/** Prints the items, ends the document and puts the default pointer back on the main window; a PDF file instead of
 *  a printer, or a printer that failed, is told to the user in a message owned by parent. False when the printer
 *  failed. */
bool printAndFinish(Services& services, QWidget* parent, QWidget* mainWindow, const print::PrintedItems& items);

} // namespace qb::app

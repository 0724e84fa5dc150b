#pragma once
// The font dialog of the printouts: font, size, style, effects (strikeout, underline) and a text colour.

#include <optional>

#include "app/dialogs.h"

class QWidget;

namespace qb::app {

/** Shows the font dialog modally; with the effects flag (0x100) it offers strikeout, underline and a colour.
 *  Nothing when the user cancels. */
std::optional<FontChoice> runFontDialog(QWidget* parent, int flags);

} // namespace qb::app

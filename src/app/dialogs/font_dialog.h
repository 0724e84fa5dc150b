#pragma once
// The font dialog of the printouts: font, size, style, effects (strikeout, underline) and a text colour.

#include <optional>

#include "app/dialogs/font_choice.h"

class QWidget;

namespace qb::app {

/** The choose-font flags the printouts ask for: screen and printer fonts (1, 2) and the effects (0x100). */
inline constexpr int kFontDialogFlags = 259;

/** Shows the font dialog modally, opened on current with everything preselected; with the effects flag (0x100) it
 *  offers strikeout, underline and a colour. What the user left as it was comes back exactly as given, so OK
 *  without a change returns current. Nothing when the user cancels. */
[[nodiscard]] std::optional<FontChoice> runFontDialog(QWidget* parent, int flags, const FontChoice& current);

} // namespace qb::app

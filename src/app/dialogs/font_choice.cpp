#include "app/dialogs/font_choice.h"

namespace qb::app {

QFont qtFontOf(const FontChoice& choice) {
    QFont font(choice.name);
    font.setPointSizeF(choice.pointSize);
    font.setBold(choice.bold);
    font.setItalic(choice.italic);
    font.setUnderline(choice.underline);
    font.setStrikeOut(choice.strikeout);
    return font;
}

} // namespace qb::app

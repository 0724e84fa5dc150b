#pragma once
// A font with its effects and text colour: what the font dialog offers and what the printer prints in.

#include <QColor>
#include <QFont>
#include <QString>

namespace qb::app {

/** A font name, size, style, effects and text colour. */
struct FontChoice {
    QString name;
    double pointSize = 8.25;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    QColor color = Qt::black;

    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

/** The printer's font before any choice: Courier New 10 point in black, the face of the program's text boxes. */
inline FontChoice initialPrinterFont() {
    FontChoice font;
    font.name = QStringLiteral("Courier New");
    font.pointSize = 10;
    return font;
}

/** The Qt font of a choice: name, size, bold, italic, underline and strikeout; the colour is not part of it. */
QFont qtFontOf(const FontChoice& choice);

} // namespace qb::app

#pragma once
// The printer as the printouts use it, behind an interface: the program prints through Qt, the tests record.

#include <QColor>
#include <QString>

#include "app/dialogs/font_choice.h"

namespace qb::app {

/** The outcome of ending a print document. */
struct PrintOutcome {
    bool ok = true;
    QString message; ///< for the user: where a PDF went, or why printing failed; empty when there is nothing to say
};

/** One print document at a time: settings, font, text items each ending its line, and the end of the document. */
class Printer {
public:
    virtual ~Printer() = default;
    /** The two drawing settings of the printer set-up (the first set to 99, the second to 100). */
    virtual void setDrawingSettings(float first, float second) = 0;
    /** High print quality. */
    virtual void setHighQuality() = 0;
    /** Font and colour; each returns false when the printer refuses the value. */
    virtual bool setFontName(const QString& name) = 0;
    virtual bool setFontSize(double points) = 0;
    virtual bool setFontBold(bool on) = 0;
    virtual bool setFontItalic(bool on) = 0;
    virtual bool setFontUnderline(bool on) = 0;
    virtual bool setFontStrikeout(bool on) = 0;
    virtual bool setTextColor(const QColor& color) = 0;
    /** The font and colour the next line prints in: initialPrinterFont() until one is set. */
    [[nodiscard]] virtual FontChoice currentFont() const = 0;
    /** Prints one text item at the current position and moves to the start of the next line; each CR LF in the
     *  text starts a new line at the left margin. */
    virtual void printLine(const QString& text) = 0;
    /** Ends the document and sends it to the printer. */
    virtual PrintOutcome endDocument() = 0;
};

} // namespace qb::app

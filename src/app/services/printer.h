#pragma once
// The printer as the printouts use it, behind an interface: the program prints through Qt, the tests record.

#include <QString>

#include "app/dialogs/font_choice.h"
#include "print/page_layout.h"

namespace qb::app {

/** The outcome of printing a document. */
struct [[nodiscard]] PrintResult {
    /** What became of the document. */
    enum class Kind {
        Printed, ///< the printer's queue or a PDF file has it
        Failed,  ///< it could not be printed whole; message says why
    };
    Kind kind = Kind::Printed;
    QString message; ///< for the user: where a PDF went, or why printing failed; empty when there is nothing to say
    [[nodiscard]] bool ok() const { return kind == Kind::Printed; }
};

/** Prints documents in a font and colour that stay from one document to the next. */
class Printer {
public:
    virtual ~Printer() = default;
    /** The font and colour the next document prints in: initialPrinterFont() until one is set. */
    [[nodiscard]] virtual FontChoice font() const = 0;
    /** Takes a font and colour for the next documents, part by part in the order name, size, bold, italic, underline,
     *  strikeout, colour; a part the printer cannot print in is refused, and so are the parts after it. False when
     *  a part was refused. */
    [[nodiscard]] virtual bool setFont(const FontChoice& choice) = 0;
    /** Prints a printout's items as one document, laid out on the printer's pages from firstLine on, and sends it to
     *  the printer. */
    [[nodiscard]] virtual PrintResult print(const print::PrintedItems& items, print::TwipsPoint firstLine) = 0;
};

} // namespace qb::app

#pragma once
// Printed pages laid out: where each line of a printout goes, and where a new page begins.

#include <string>
#include <vector>

#include "print/printouts.h"

namespace qb::print {

/** A position in twips from the top left of the printable area. */
struct TwipsPoint {
    double x = 0;
    double y = 0;
};

/** Where both printouts start their first line: the two drawing settings of the printer set-up. */
inline constexpr TwipsPoint kFirstLineStart{99, 100};

/** What a layout needs to know of the page and the font, in the printer's dots. */
struct PageMeasures {
    double dotsPerInch = 0;
    double height = 0;      ///< of the printable area
    double lineHeight = 0;  ///< of the font: the room a line needs below the one before it
    double lineSpacing = 0; ///< from the top of one line to the top of the next
};

/** A printed line: its text (UTF-8) and the top left corner where it starts, in dots from the top left of the
 *  printable area. The printer cuts it off where it runs past the page's right edge. */
struct PlacedLine {
    std::string text;
    double x = 0;
    double y = 0;
};

/** One printed page: its lines from top to bottom. */
using Page = std::vector<PlacedLine>;

/**
 * The pages of a printout. Each item ends its line, and each CR LF, lone CR or lone LF inside an item starts a new
 * line; the first line starts at firstLine, every other line at the left margin, one line spacing below the one
 * before. A line that would reach below the printable area starts a new page at its top; the first line of a page
 * always goes on it. No items, no pages.
 */
[[nodiscard]] std::vector<Page> layOutPages(const PrintedItems& items, const PageMeasures& page, TwipsPoint firstLine);

} // namespace qb::print

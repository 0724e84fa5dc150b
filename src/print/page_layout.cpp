#include "print/page_layout.h"

#include <string_view>

namespace qb::print {
namespace {

double dots(double twips, const PageMeasures& page) {
    return twips * page.dotsPerInch / 1440.0;
}

// The lines of an item, split at CR LF, a lone CR or a lone LF; an empty item is one empty line.
std::vector<std::string_view> linesOf(std::string_view item) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < item.size(); ++i) {
        if (item[i] != '\r' && item[i] != '\n')
            continue;
        lines.push_back(item.substr(start, i - start));
        if (item[i] == '\r' && i + 1 < item.size() && item[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    lines.push_back(item.substr(start));
    return lines;
}

} // namespace

std::vector<Page> layOutPages(const PrintedItems& items, const PageMeasures& page, TwipsPoint firstLine) {
    std::vector<Page> pages;
    if (items.empty())
        return pages;
    pages.emplace_back();
    double x = dots(firstLine.x, page);
    double y = dots(firstLine.y, page);
    for (const std::string& item : items) {
        for (const std::string_view line : linesOf(item)) {
            if (y > 0 && y + page.lineHeight > page.height) {
                pages.emplace_back();
                y = 0;
            }
            pages.back().push_back({std::string(line), x, y});
            x = 0;
            y += page.lineSpacing;
        }
    }
    return pages;
}

} // namespace qb::print

#pragma once
// Window layouts are drawn up in twips (1/1440 inch); the screen's logical resolution turns them into pixels.

#include <QRect>
#include <QSize>

class QWidget;

namespace qb::app {

/** A position and size in twips, measured from the client area's (or the enclosing frame's) top left corner. */
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

/** Twips as pixels at a logical resolution in dots per inch, rounded to the nearest pixel. */
int twipsToPixels(int twips, double logicalDpi);

/** The logical resolution of the primary screen, in dots per inch. */
double screenLogicalDpi();

/** A twips rectangle in pixels at the screen's logical resolution. */
QRect toPixels(const TwipsRect& twips);

/** A twips size in pixels at the screen's logical resolution. */
QSize toPixels(int widthTwips, int heightTwips);

/** Puts a control where the layout says. */
void place(QWidget* control, const TwipsRect& twips);

/** Gives a window its client area and centres it on the screen. */
void sizeAndCentre(QWidget* window, int widthTwips, int heightTwips);

} // namespace qb::app

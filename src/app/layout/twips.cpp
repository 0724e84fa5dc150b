#include "app/layout/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace qb::app {

int twipsToPixels(int twips, double logicalDpi) {
    return static_cast<int>(std::lround(twips * logicalDpi / 1440.0));
}

double screenLogicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

QRect toPixels(const TwipsRect& twips) {
    const double dpi = screenLogicalDpi();
    return {twipsToPixels(twips.left, dpi), twipsToPixels(twips.top, dpi), twipsToPixels(twips.width, dpi),
            twipsToPixels(twips.height, dpi)};
}

QSize toPixels(int widthTwips, int heightTwips) {
    const double dpi = screenLogicalDpi();
    return {twipsToPixels(widthTwips, dpi), twipsToPixels(heightTwips, dpi)};
}

void place(QWidget* control, const TwipsRect& twips) {
    control->setGeometry(toPixels(twips));
}

void sizeAndCentre(QWidget* window, int widthTwips, int heightTwips) {
    const QSize size = toPixels(widthTwips, heightTwips);
    window->resize(size);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame({0, 0}, size);
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

} // namespace qb::app

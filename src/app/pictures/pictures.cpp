#include "app/pictures/pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace qb::app {

namespace {

const QColor kInk(0x2b, 0x2b, 0x3a);
const QColor kCard(0xfb, 0xf8, 0xee);

/** A polygon from points in a 100 by 100 drawing space. */
QPolygonF shape(std::initializer_list<QPointF> points) {
    return QPolygonF(QList<QPointF>(points));
}

void drawBox(QPainter& p) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(0x5a, 0x3a, 0x22)); // the inside, seen through the open top
    p.drawPolygon(shape({{12, 56}, {28, 44}, {90, 44}, {74, 56}}));

    // Two cards standing in the box; their feet disappear behind the front.
    p.setBrush(kCard);
    p.save();
    p.translate(34, 26);
    p.rotate(-6);
    p.drawRect(QRectF(0, 0, 30, 30));
    p.restore();
    p.save();
    p.translate(44, 22);
    p.rotate(5);
    p.drawRect(QRectF(0, 0, 30, 32));
    p.setPen(QPen(QColor(0x7f, 0x9c, 0xc9), 1.0));
    for (int line = 8; line <= 24; line += 5)
        p.drawLine(QPointF(4, line), QPointF(26, line));
    p.restore();

    QLinearGradient front(QPointF(12, 56), QPointF(74, 92));
    front.setColorAt(0, QColor(0xd8, 0x9a, 0x52));
    front.setColorAt(1, QColor(0xa8, 0x6a, 0x2e));
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(front);
    p.drawRect(QRectF(12, 56, 62, 36));
    p.setBrush(QColor(0x8c, 0x55, 0x24));
    p.drawPolygon(shape({{74, 56}, {90, 44}, {90, 80}, {74, 92}}));
    // A label holder on the front, as on a card-index drawer.
    p.setBrush(kCard);
    p.drawRect(QRectF(33, 66, 20, 10));
}

void drawQuill(QPainter& p) {
    QPainterPath vane;
    vane.moveTo(60, 40);
    vane.cubicTo(58, 24, 72, 6, 95, 2);
    vane.cubicTo(90, 16, 82, 30, 60, 40);
    QLinearGradient feather(QPointF(60, 40), QPointF(95, 2));
    feather.setColorAt(0, QColor(0xff, 0xff, 0xff));
    feather.setColorAt(1, QColor(0x9e, 0xc3, 0xe6));
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(feather);
    p.drawPath(vane);

    p.setPen(QPen(kInk, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(54, 48), QPointF(93, 4)); // the shaft, down to the nib
    p.setPen(QPen(QColor(0x6d, 0x8f, 0xb3), 0.8));
    for (int barb = 0; barb < 6; ++barb) {
        const double t = 0.25 + barb * 0.11;
        const QPointF onShaft(54 + 39 * t, 48 - 44 * t);
        p.drawLine(onShaft, onShaft + QPointF(-6 + barb * 0.4, -3));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPolygon(shape({{54, 48}, {51, 53}, {56, 50}}));
}

/** The quill over the box, fitted into a square area. */
void drawEmblem(QPainter& p, const QRectF& area) {
    p.save();
    p.translate(area.topLeft());
    p.scale(area.width() / 100.0, area.height() / 100.0);
    drawBox(p);
    drawQuill(p);
    p.restore();
}

void drawCalendar(QPainter& p, const QRectF& sheet) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(sheet, 4, 4);
    const QRectF header(sheet.left(), sheet.top(), sheet.width(), sheet.height() * 0.28);
    p.setBrush(QColor(0xc0, 0x39, 0x2b));
    p.drawRoundedRect(header, 4, 4);
    p.setPen(kInk);
    QFont digits(QStringLiteral("Liberation Sans"));
    digits.setPixelSize(static_cast<int>(sheet.height() * 0.45));
    digits.setBold(true);
    p.setFont(digits);
    p.drawText(sheet.adjusted(0, header.height(), 0, 0), Qt::AlignCenter, QStringLiteral("06"));
}

void drawBell(QPainter& p, const QPointF& top, double size) {
    QPainterPath bell;
    bell.moveTo(top + QPointF(-size * 0.45, size * 0.8));
    bell.cubicTo(top + QPointF(-size * 0.35, size * 0.1), top + QPointF(-size * 0.2, 0), top + QPointF(0, 0));
    bell.cubicTo(top + QPointF(size * 0.2, 0), top + QPointF(size * 0.35, size * 0.1),
                 top + QPointF(size * 0.45, size * 0.8));
    bell.closeSubpath();
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(0xf1, 0xc4, 0x0f));
    p.drawPath(bell);
    p.drawEllipse(top + QPointF(0, size * 0.9), size * 0.1, size * 0.1);
}

QLinearGradient verticalGradient(double height, const QColor& top, const QColor& bottom) {
    QLinearGradient gradient(QPointF(0, 0), QPointF(0, height));
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

QPixmap blankPixmap(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QPixmap splashLogo() {
    QPixmap pixmap = blankPixmap(320, 200);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(verticalGradient(200, QColor(0x1f, 0x3b, 0x5c), QColor(0x3f, 0x7c, 0x8c)));
    p.drawRoundedRect(QRectF(0, 0, 320, 200), 14, 14);
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawEllipse(QRectF(70, 20, 180, 180));
    drawEmblem(p, QRectF(70, 10, 180, 180));
    return pixmap;
}

QPixmap aboutPicture() {
    QPixmap pixmap = blankPixmap(408, 300);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(0, 0, 408, 210), verticalGradient(210, QColor(0xe8, 0xf1, 0xf8), QColor(0xc9, 0xdc, 0xea)));
    p.fillRect(QRectF(0, 210, 408, 90), QColor(0x9b, 0x6b, 0x43)); // the desk
    p.fillRect(QRectF(0, 210, 408, 6), QColor(0x7a, 0x50, 0x2f));
    drawCalendar(p, QRectF(28, 40, 96, 100));
    drawBell(p, QPointF(76, 150), 44);
    drawEmblem(p, QRectF(170, 30, 220, 220));
    return pixmap;
}

QImage applicationIconImage(int size) {
    // An image, unlike a pixmap, needs no window system: the notification of `--remind` draws it without one.
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawEmblem(p, QRectF(0, 0, size, size));
    p.end();
    return image;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(applicationIconImage(size)));
    return icon;
}

} // namespace qb::app

// The splash window: the first thing on screen; its timer starts the main window, an early key or click ends all.

#include "app/windows/splash_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <utility>

#include "app/layout/controls.h"
#include "app/pictures/pictures.h"
#include "app/services/program_exit.h"

namespace qb::app {

namespace {

constexpr int kSplashMilliseconds = 5000;

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;
constexpr Lettering kSmallPrint = {.points = 8.25, .alignment = kLeft};

// Everything sits in one frame: the logo and the product's name, then four lines of small print.
using Controls = SplashWindow::Controls;

constexpr ControlRow<Controls> kControls[] = {
    {&Controls::frame, {.name = "frame", .at = {150, 0, 7080, 4050}, .accessibleName = "Quillbox"}},
    // The logo is a picture of 320 by 200 pixels, shown scaled to 3360 by 2100 twips (224 by 140 pixels at 96 dpi):
    // the same shape, small enough to leave room for the product's name beside it. At its own size it would take
    // 4800 by 3000 twips, two thirds of the frame's width and three quarters of its height.
    {&Controls::logo,
     {.name = "logo",
      .at = {240, 240, 3360, 2100},
      .frame = "frame",
      .accessibleName = "Quillbox logo: a quill over a box"}},
    {&Controls::presenting,
     {.name = "presenting",
      .caption = "Presenting:",
      .at = {3840, 360, 3000, 480},
      .frame = "frame",
      .lettering = {.points = 18, .weight = QFont::Bold, .alignment = kLeft}}},
    {&Controls::productName,
     {.name = "productName",
      .caption = "Quillbox",
      .at = {3840, 960, 3120, 840},
      .frame = "frame",
      .lettering = {.points = 32.25, .weight = QFont::Bold, .alignment = kLeft}}},
    {&Controls::platformLine,
     {.name = "platformLine",
      .caption = "For Windows 95/98/NT",
      .at = {2280, 2400, 4560, 420},
      .frame = "frame",
      .lettering = {.points = 15.75, .weight = QFont::Bold, .alignment = kRight}}},
    // Ends where the small print begins.
    {&Controls::version,
     {.name = "version",
      .caption = "Version 1.2",
      .at = {2280, 2820, 4560, 300},
      .frame = "frame",
      .lettering = {.points = 12, .weight = QFont::Bold, .alignment = kRight}}},
    {&Controls::slogan,
     {.name = "slogan",
      .caption = "Your notes and reminders, one small file each.",
      .at = {240, 3120, 4200, 225},
      .frame = "frame",
      .lettering = kSmallPrint}},
    {&Controls::maker,
     {.name = "maker",
      .caption = "Quillbox for Linux contributors",
      .at = {240, 3345, 4200, 225},
      .frame = "frame",
      .lettering = kSmallPrint}},
    {&Controls::copyright,
     {.name = "copyright",
      .caption = "2026 - free software",
      .at = {240, 3570, 4200, 225},
      .frame = "frame",
      .lettering = kSmallPrint}},
    {&Controls::contact,
     {.name = "contact",
      .caption = "Contact: see the README and the issue tracker",
      .at = {240, 3795, 4200, 225},
      .frame = "frame",
      .lettering = kSmallPrint}},
};

} // namespace

SplashWindow::SplashWindow(std::function<void()> startMain, ProgramExit& exit)
    : QFrame(nullptr, Qt::Window | Qt::FramelessWindowHint), startMain_(std::move(startMain)), exit_(exit) {
    setObjectName(QStringLiteral("SplashWindow"));
    setWindowTitle(QStringLiteral("Quillbox"));
    setFont(defaultFont());
    setFocusPolicy(Qt::StrongFocus);
    // A window manager draws no border on a window without a title bar; the window draws its dialog frame itself,
    // and the client area that the table's twips are measured from begins inside it.
    setFrameStyle(QFrame::WinPanel | QFrame::Raised);
    buildControls(*this, ui_, controlTable());
    const int border = frameWidth();
    ui_.frame->move(ui_.frame->pos() + QPoint(border, border));
    ui_.frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    ui_.frame->installEventFilter(this);
    ui_.logo->setPixmap(splashLogo());
    ui_.logo->setScaledContents(true);

    setFixedSize(toPixels(7380, 4170) + QSize(2 * border, 2 * border));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("timer"));
    timer_->setInterval(kSplashMilliseconds);
    connect(timer_, &QTimer::timeout, this, &SplashWindow::startMainWindow);
    timer_->start();
}

SplashWindow::~SplashWindow() = default;

std::span<const ControlRow<SplashWindow::Controls>> SplashWindow::controlTable() {
    return kControls;
}

void SplashWindow::startMainWindow() {
    // Stop first: the start-up procedure may wait at the password prompt for longer than the interval.
    timer_->stop();
    if (started_)
        return;
    started_ = true;
    startMain_();
    close();
}

void SplashWindow::endOnKeyPress() {
    if (!started_)
        close(); // which ends the program
}

void SplashWindow::endOnFrameClick() {
    endOnKeyPress();
}

void SplashWindow::keyPressEvent(QKeyEvent* event) {
    if (event->text().isEmpty()) {
        QFrame::keyPressEvent(event);
        return;
    }
    endOnKeyPress();
}

void SplashWindow::closeEvent(QCloseEvent* event) {
    QFrame::closeEvent(event);
    // Closed before the timer, by a key, a click or the desktop (Alt+F4): no other window exists, so the program ends.
    if (std::exchange(started_, true))
        return;
    timer_->stop();
    exit_.endNow();
}

bool SplashWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.frame && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        // Only the bare frame counts: a click on the picture or a label reaches the frame too, but lands on a child.
        if (mouse->button() == Qt::LeftButton && ui_.frame->rect().contains(at) && !ui_.frame->childAt(at)) {
            endOnFrameClick();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace qb::app

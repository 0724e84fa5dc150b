// The splash window: the first thing on screen; its timer starts the main window, an early key or click ends all.

#include "app/windows/splash_window.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include "app/services/program_exit.h"
#include "app/widgets/controls.h"
#include "app/widgets/pictures.h"

namespace qb::app {

namespace {

constexpr int kSplashMilliseconds = 5000;

QLabel* splashLabel(QWidget* frame, const char* name, const QString& text, const QFont& font, Qt::Alignment align,
                    const TwipsRect& at) {
    QLabel* label = makeLabel(frame, name, text, at, font);
    label->setAlignment(align | Qt::AlignVCenter);
    return label;
}

} // namespace

SplashWindow::SplashWindow(std::function<void()> startMain, ProgramExit& exit)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), startMain_(std::move(startMain)), exit_(exit) {
    setObjectName(QStringLiteral("SplashWindow"));
    setWindowTitle(QStringLiteral("Quillbox"));
    setFont(defaultFont());
    setFocusPolicy(Qt::StrongFocus);

    frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    setUpControl(frame, "frame", QStringLiteral("Quillbox"), QString(), {150, 0, 7080, 4050});
    frame->installEventFilter(this);

    logo = new QLabel(frame);
    logo->setPixmap(splashLogo());
    logo->setScaledContents(true);
    setUpControl(logo, "logo", QStringLiteral("Quillbox logo: a quill over a box"), QString(), {240, 240, 3360, 2100});

    const Qt::Alignment left = Qt::AlignLeft;
    const Qt::Alignment right = Qt::AlignRight;
    presenting = splashLabel(frame, "presenting", QStringLiteral("Presenting:"), arialFont(18, true), left,
                             {3840, 360, 3000, 480});
    productName = splashLabel(frame, "productName", QStringLiteral("Quillbox"), arialFont(32.25, true), left,
                              {3840, 960, 3120, 840});
    platformLine = splashLabel(frame, "platformLine", QStringLiteral("For Windows 95/98/NT"), arialFont(15.75, true),
                               right, {2280, 2400, 4560, 420});
    version = splashLabel(frame, "version", QStringLiteral("Version 1.2"), arialFont(12, true), right,
                          {2280, 2820, 4560, 330});
    const QFont small = arialFont(8.25, false);
    slogan = splashLabel(frame, "slogan", QStringLiteral("Your notes and reminders, one small file each."), small, left,
                         {240, 3120, 4200, 225});
    maker = splashLabel(frame, "maker", QStringLiteral("Quillbox for Linux contributors"), small, left,
                        {240, 3345, 4200, 225});
    copyright =
        splashLabel(frame, "copyright", QStringLiteral("2026 - free software"), small, left, {240, 3570, 4200, 225});
    contact = splashLabel(frame, "contact", QStringLiteral("Contact: see the README and the issue tracker"), small,
                          left, {240, 3795, 4200, 225});

    setFixedSize(toPixels(7380, 4170));
    sizeAndCentre(this, 7380, 4170);

    timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("timer"));
    timer->setInterval(kSplashMilliseconds);
    connect(timer, &QTimer::timeout, this, &SplashWindow::startMainWindow);
    timer->start();
}

SplashWindow::~SplashWindow() = default;

void SplashWindow::startMainWindow() {
    // Stop first: the start-up procedure may wait at the password prompt for longer than the interval.
    timer->stop();
    if (started_)
        return;
    started_ = true;
    startMain_();
    close();
}

void SplashWindow::endOnKeyPress() {
    if (started_)
        return;
    started_ = true;
    timer->stop();
    close();
    exit_.endNow();
}

void SplashWindow::endOnFrameClick() {
    endOnKeyPress();
}

void SplashWindow::keyPressEvent(QKeyEvent* event) {
    if (event->text().isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    endOnKeyPress();
}

bool SplashWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == frame && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        // Only the bare frame counts: a click on the picture or a label reaches the frame too, but lands on a child.
        if (mouse->button() == Qt::LeftButton && frame->rect().contains(at) && !frame->childAt(at)) {
            endOnFrameClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace qb::app

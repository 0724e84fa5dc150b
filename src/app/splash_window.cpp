// The splash window: the first thing on screen; its timer starts the main window, an early key or click ends all.

#include "app/splash_window.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include "app/controls.h"
#include "app/pictures.h"
#include "app/program_exit.h"

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

frmSplash::frmSplash(std::function<void()> startMain, ProgramExit& exit)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), startMain_(std::move(startMain)), exit_(exit) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Quillbox"));
    setFont(defaultFont());
    setFocusPolicy(Qt::StrongFocus);

    Frame1 = new QFrame(this);
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    setUpControl(Frame1, "Frame1", QStringLiteral("Quillbox"), QString(), {150, 0, 7080, 4050});
    Frame1->installEventFilter(this);

    imgLogo = new QLabel(Frame1);
    imgLogo->setPixmap(splashLogo());
    imgLogo->setScaledContents(true);
    setUpControl(imgLogo, "imgLogo", QStringLiteral("Quillbox logo: a quill over a box"), QString(),
                 {240, 240, 3360, 2100});

    const Qt::Alignment left = Qt::AlignLeft;
    const Qt::Alignment right = Qt::AlignRight;
    lblCompanyProduct = splashLabel(Frame1, "lblCompanyProduct", QStringLiteral("Presenting:"), arialFont(18, true),
                                    left, {3840, 360, 3000, 480});
    lblProductName = splashLabel(Frame1, "lblProductName", QStringLiteral("Quillbox"), arialFont(32.25, true), left,
                                 {3840, 960, 3120, 840});
    lblPlatform = splashLabel(Frame1, "lblPlatform", QStringLiteral("For Windows 95/98/NT"), arialFont(15.75, true),
                              right, {2280, 2400, 4560, 420});
    lblVersion = splashLabel(Frame1, "lblVersion", QStringLiteral("Version 1.2"), arialFont(12, true), right,
                             {2280, 2820, 4560, 330});
    const QFont small = arialFont(8.25, false);
    lblSlogan = splashLabel(Frame1, "lblSlogan", QStringLiteral("Your notes and reminders, one small file each."),
                            small, left, {240, 3120, 4200, 225});
    lblCompany = splashLabel(Frame1, "lblCompany", QStringLiteral("Quillbox for Linux contributors"), small, left,
                             {240, 3345, 4200, 225});
    lblCopyright = splashLabel(Frame1, "lblCopyright", QStringLiteral("2026 - free software"), small, left,
                               {240, 3570, 4200, 225});
    lblContact = splashLabel(Frame1, "lblContact", QStringLiteral("Contact: see the README and the issue tracker"),
                             small, left, {240, 3795, 4200, 225});

    setFixedSize(toPixels(7380, 4170));
    sizeAndCentre(this, 7380, 4170);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kSplashMilliseconds);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Timer1->start();
}

frmSplash::~frmSplash() = default;

void frmSplash::Timer1_Timer() {
    // Stop first: the start-up procedure may wait at the password prompt for longer than the interval.
    Timer1->stop();
    if (started_)
        return;
    started_ = true;
    startMain_();
    close();
}

void frmSplash::Form_KeyPress() {
    if (started_)
        return;
    started_ = true;
    Timer1->stop();
    close();
    exit_.endNow();
}

void frmSplash::Frame1_Click() {
    Form_KeyPress();
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    if (event->text().isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    Form_KeyPress();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Frame1 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        // Only the bare frame counts: a click on the picture or a label reaches the frame too, but lands on a child.
        if (mouse->button() == Qt::LeftButton && Frame1->rect().contains(at) && !Frame1->childAt(at)) {
            Frame1_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace qb::app

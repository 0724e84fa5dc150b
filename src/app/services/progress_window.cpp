#include "app/services/progress_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/clock.h"

namespace qb::app {

QtProgressWindow::QtProgressWindow(QWidget* parent, Dialogs& dialogs, const QString& title, const QString& text,
                                   const QString& stopQuestion)
    : QDialog(parent), status(new QLabel(text, this)), bar(new QProgressBar(this)),
      stopButton(new QPushButton(QStringLiteral("&Stop"), this)), dialogs_(dialogs), stopQuestion_(stopQuestion) {
    setObjectName(QStringLiteral("progressWindow"));
    setWindowTitle(title);
    setAccessibleName(title);
    setWindowModality(Qt::ApplicationModal);
    status->setObjectName(QStringLiteral("status"));
    status->setMinimumWidth(status->fontMetrics().averageCharWidth() * 50);
    bar->setObjectName(QStringLiteral("progressBar"));
    bar->setAccessibleName(title);
    bar->setRange(0, 0); // busy until the first count comes
    stopButton->setObjectName(QStringLiteral("stopButton"));
    stopButton->setAccessibleName(QStringLiteral("Stop"));
    stopButton->setToolTip(QStringLiteral("Stop once the record being written is complete"));
    // A dialog's buttons take Enter by default; Enter pressed again, or held down, after the one that started the
    // job must not stop it.
    stopButton->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status);
    layout->addWidget(bar);
    layout->addWidget(stopButton, 0, Qt::AlignRight);
    connect(stopButton, &QPushButton::clicked, this, &QtProgressWindow::requestStop);
    show();
    // Drawn before the job holds the program again.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QtProgressWindow::~QtProgressWindow() = default;

void QtProgressWindow::update(const QString& newText, int done, int total) {
    if (!stopRequested_)
        status->setText(newText);
    bar->setRange(0, std::max(total, 1));
    bar->setValue(std::min(done, std::max(total, 1)));
    // Screen readers read the bar by its name and value; its name also says where the job stands.
    bar->setAccessibleDescription(newText);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtProgressWindow::waitUntil(platform::Clock& clock, std::chrono::steady_clock::time_point deadline) {
    // The program's other windows are blocked by this one, so only it takes input while the loop runs.
    while (!stopRequested_) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - clock.elapsedNow());
        if (left.count() <= 0)
            return;
        QEventLoop loop;
        waiting_ = &loop;
        QTimer::singleShot(static_cast<int>(std::min<long long>(left.count(), 60'000)), &loop, &QEventLoop::quit);
        loop.exec();
        waiting_ = nullptr;
    }
}

void QtProgressWindow::requestStop() {
    if (stopRequested_ || asking_)
        return;
    // The job holds still while the question is up: it is asked from within the window's wait or update.
    asking_ = true;
    const bool stop = dialogs_.confirm(this, stopQuestion_, windowTitle());
    asking_ = false;
    if (!stop)
        return;
    stopRequested_ = true;
    stopButton->setEnabled(false);
    status->setText(QStringLiteral("Stopping once the record being written is complete..."));
    if (waiting_)
        waiting_->quit();
}

void QtProgressWindow::closeEvent(QCloseEvent* event) {
    // Closing the window through its frame is Stop; the window goes once the job has ended.
    event->ignore();
    requestStop();
}

void QtProgressWindow::reject() {
    requestStop(); // Escape: as Stop
}

} // namespace qb::app

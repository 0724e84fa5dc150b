#include "app/services/progress_window.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

#include "app/dialogs/progress_dialog.h"
#include "platform/clock.h"

namespace qb::app {

QtProgressWindow::QtProgressWindow(QWidget* parent, Dialogs& dialogs, const QString& title, const QString& text,
                                   const QString& stopQuestion)
    : window_(std::make_unique<ProgressDialog>(parent, title, text)), dialogs_(dialogs), title_(title),
      stopQuestion_(stopQuestion) {
    QObject::connect(window_.get(), &ProgressDialog::stopAsked, window_.get(), [this] { requestStop(); });
}

QtProgressWindow::~QtProgressWindow() = default;

void QtProgressWindow::update(const QString& text, int done, int total) {
    window_->showProgress(text, done, total);
}

void QtProgressWindow::waitUntil(platform::Clock& clock, std::chrono::steady_clock::time_point deadline) {
    // The program's other windows are blocked by the progress window, so only it takes input while the loop runs.
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
    const bool stop = dialogs_.confirm(window_.get(), stopQuestion_, title_);
    asking_ = false;
    if (!stop)
        return;
    stopRequested_ = true;
    window_->showStopping();
    if (waiting_)
        waiting_->quit();
}

} // namespace qb::app

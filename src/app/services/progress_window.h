#pragma once
// The progress window of long jobs on Qt: the progress dialog, whose requests to stop are asked about first, and
// waits that keep the program's windows served.

#include <memory>

#include "app/services/dialogs.h"

class QEventLoop;

namespace qb::app {

class ProgressDialog;

/** A modal progress window. Stop, its access key, Escape and closing the window all ask stopQuestion through
 *  dialogs, and the job is asked to stop on Yes only. The window goes when this is destroyed. */
class QtProgressWindow final : public ProgressWindow {
public:
    QtProgressWindow(QWidget* parent, Dialogs& dialogs, const QString& title, const QString& text,
                     const QString& stopQuestion);
    ~QtProgressWindow() override;
    QtProgressWindow(const QtProgressWindow&) = delete;
    QtProgressWindow& operator=(const QtProgressWindow&) = delete;

    void update(const QString& text, int done, int total) override;
    void waitUntil(platform::Clock& clock, std::chrono::steady_clock::time_point deadline) override;
    bool stopRequested() const override { return stopRequested_; }

    /** The window on screen. */
    ProgressDialog& window() { return *window_; }

    /** Asks the user whether to stop; on Yes the wait in progress ends and the window says that the job is ending. */
    void requestStop();

private:
    std::unique_ptr<ProgressDialog> window_;
    Dialogs& dialogs_;
    QString title_;
    QString stopQuestion_;
    bool asking_ = false; ///< the stop question is up
    bool stopRequested_ = false;
    QEventLoop* waiting_ = nullptr; ///< the wait in progress, if any
};

} // namespace qb::app

#pragma once
// The progress window of long jobs on Qt: a text, a bar and a Stop button, modal to the whole program.

#include <QDialog>

#include "app/services/dialogs.h"

class QEventLoop;
class QLabel;
class QProgressBar;
class QPushButton;

namespace qb::app {

/** A modal progress window. Stop (Alt+S), Escape and closing it through its frame all ask stopQuestion through
 *  dialogs, and the job is asked to stop on Yes only; Enter does nothing, as Stop is no default button. The window
 *  itself stays until its owner destroys it, once the job has ended. */
class QtProgressWindow final : public QDialog, public ProgressWindow {
    Q_OBJECT
public:
    QtProgressWindow(QWidget* parent, Dialogs& dialogs, const QString& title, const QString& text,
                     const QString& stopQuestion);
    ~QtProgressWindow() override;

    void update(const QString& text, int done, int total) override;
    void waitUntil(platform::Clock& clock, std::chrono::steady_clock::time_point deadline) override;
    bool stopRequested() const override { return stopRequested_; }

    QLabel* status; ///< where the job stands
    QProgressBar* bar;
    QPushButton* stopButton;

    /** Asks the user whether to stop; on Yes the wait in progress ends and the window says that the job is ending. */
    void requestStop();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    Dialogs& dialogs_;
    QString stopQuestion_;
    bool asking_ = false; ///< the stop question is up
    bool stopRequested_ = false;
    QEventLoop* waiting_ = nullptr; ///< the wait in progress, if any
};

} // namespace qb::app

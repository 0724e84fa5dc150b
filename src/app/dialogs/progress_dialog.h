#pragma once
// The progress window of a long job: a text, a bar and a Stop button, modal to the whole program.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace qb::app {

/** A modal progress window, shown from the moment it is made. Stop (Alt+S), Escape and closing it through its frame
 *  each ask to stop the job (stopAsked); Enter does nothing, as Stop is no default button. The window stays until
 *  its owner destroys it, once the job has ended. */
class ProgressDialog final : public QDialog {
    Q_OBJECT
public:
    ProgressDialog(QWidget* parent, const QString& title, const QString& text);
    ~ProgressDialog() override;

    /** Shows a text and a bar of done steps out of total. */
    void showProgress(const QString& text, int done, int total);
    /** Says that the job is ending, and Stop can no longer be pressed. */
    void showStopping();

    QLabel* status; ///< where the job stands
    QProgressBar* bar;
    QPushButton* stopButton;

signals:
    /** The user pressed Stop, its access key or Escape, or closed the window through its frame. */
    void stopAsked();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    bool stopping_ = false;
};

} // namespace qb::app

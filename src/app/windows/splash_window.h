#pragma once
// The splash window: first on screen; after five seconds it starts the main window, a key or a click ends it all.

#include <QFrame>
#include <functional>
#include <span>

#include "app/layout/controls.h"

class QLabel;
class QTimer;

namespace qb::app {

class ProgramExit;

/** The splash window, without a title bar, in a thin dialog frame of its own, centred. */
class SplashWindow : public QFrame {
    Q_OBJECT
public:
    /** startMain creates and loads the main window; exit ends the program on an early key or click. */
    SplashWindow(std::function<void()> startMain, ProgramExit& exit);
    ~SplashWindow() override;

    /** The controls, for tests. */
    struct Controls {
        QFrame* frame = nullptr; ///< holds everything; a click on its bare part ends the program
        QLabel* logo = nullptr;
        QLabel* productName = nullptr;
        QLabel* presenting = nullptr;
        QLabel* platformLine = nullptr;
        QLabel* version = nullptr;
        QLabel* slogan = nullptr;
        QLabel* maker = nullptr;
        QLabel* copyright = nullptr;
        QLabel* contact = nullptr;
    };

    /** The table the controls are built from. */
    static std::span<const ControlRow<Controls>> controlTable();
    /** The controls, for tests. */
    const Controls& controls() const { return ui_; }
    /** 5000 ms, started with the window. */
    const QTimer& timer() const { return *timer_; }

    /** The first expiry starts the main window, once, then closes this window. */
    void startMainWindow();
    /** A key that produces a character ends the program before the main window exists. */
    void endOnKeyPress();
    /** A click on the bare frame ends the program before the main window exists. */
    void endOnFrameClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    /** Closed before the timer has started the main window (also by the desktop: Alt+F4), it ends the program. */
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Controls ui_;
    QTimer* timer_;
    std::function<void()> startMain_;
    ProgramExit& exit_;
    bool started_ = false;
};

} // namespace qb::app

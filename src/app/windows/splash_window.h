#pragma once
// The splash window: first on screen; after five seconds it starts the main window, a key or a click ends it all.

#include <QWidget>
#include <functional>
#include <span>

#include "app/layout/controls.h"

class QFrame;
class QLabel;
class QTimer;

namespace qb::app {

class ProgramExit;

/** The splash window, without a title bar, centred. */
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    /** startMain creates and loads the main window; exit ends the program on an early key or click. */
    SplashWindow(std::function<void()> startMain, ProgramExit& exit);
    ~SplashWindow() override;

    /** The table the controls are built from. */
    static std::span<const ControlRow<SplashWindow>> controlTable();

    QFrame* frame;
    QLabel* logo;
    QLabel* productName;
    QLabel* presenting;
    QLabel* platformLine;
    QLabel* version;
    QLabel* slogan;
    QLabel* maker;
    QLabel* copyright;
    QLabel* contact;
    QTimer* timer; ///< 5000 ms, started with the window

    /** The first expiry starts the main window, once, then closes this window. */
    void startMainWindow();
    /** A key that produces a character ends the program before the main window exists. */
    void endOnKeyPress();
    /** A click on the bare frame ends the program before the main window exists. */
    void endOnFrameClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> startMain_;
    ProgramExit& exit_;
    bool started_ = false;
};

} // namespace qb::app

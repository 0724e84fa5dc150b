#pragma once
// The splash window: first on screen; after five seconds it starts the main window, a key or a click ends it all.

#include <QWidget>
#include <functional>

class QFrame;
class QLabel;
class QTimer;

namespace qb::app {

class ProgramExit;

/** The splash window, without a title bar, centred. */
class frmSplash : public QWidget {
    Q_OBJECT
public:
    /** startMain creates and loads the main window; exit ends the program on an early key or click. */
    frmSplash(std::function<void()> startMain, ProgramExit& exit);
    ~frmSplash() override;

    QFrame* Frame1;
    QLabel* imgLogo;
    QLabel* lblProductName;
    QLabel* lblCompanyProduct;
    QLabel* lblPlatform;
    QLabel* lblVersion;
    QLabel* lblSlogan;
    QLabel* lblCompany;
    QLabel* lblCopyright;
    QLabel* lblContact;
    QTimer* Timer1; ///< 5000 ms, started with the window

    /** Does nothing. */
    void Form_Load() {}
    /** The first expiry starts the main window, once, then closes this window. */
    void Timer1_Timer();
    /** A key that produces a character ends the program before the main window exists. */
    void Form_KeyPress();
    /** A click on the bare frame ends the program before the main window exists. */
    void Frame1_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> startMain_;
    ProgramExit& exit_;
    bool started_ = false;
};

} // namespace qb::app

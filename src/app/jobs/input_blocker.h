#pragma once
// Keeps the user's input away from a window while a job holds it, whatever dialog is up meanwhile.

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace qb::app {

/** While it lives, no key, mouse, wheel, touch, drop, input-method or shortcut event reaches the window or any of
 *  its controls, and a request to close it is refused; painting, timers and everything else go on. */
class InputBlocker final : public QObject {
public:
    /** What the user's request to close a window does while input is kept away: it is given the window, which stays
     *  open unless the program ends. */
    using CloseRequest = std::function<void(QWidget& window)>;

    explicit InputBlocker(QWidget* window);
    /** Keeps input away from every window of the program but a modal one, such as a question asked meanwhile. A
     *  request to close one of them from the desktop (its frame's close button, Alt+F4) is the user's and goes to
     *  whenClosing, one at a time; the program's own closes are refused. */
    explicit InputBlocker(CloseRequest whenClosing);
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    bool everyWindow_ = false;
    CloseRequest whenClosing_;
    bool closing_ = false; // whenClosing_ runs
};

} // namespace qb::app

#pragma once
// Keeps the user's input away from a window while a job holds it, whatever dialog is up meanwhile.

#include <QObject>
#include <QPointer>

class QWidget;

namespace qb::app {

/** While it lives, no key, mouse, wheel, touch, drop, input-method or shortcut event reaches the window or any of
 *  its controls, and a request to close it is refused; painting, timers and everything else go on. */
class InputBlocker final : public QObject {
public:
    explicit InputBlocker(QWidget* window);
    /** Keeps input away from every window of the program but a modal one, such as a question asked meanwhile. */
    InputBlocker();
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    bool everyWindow_ = false;
};

} // namespace qb::app

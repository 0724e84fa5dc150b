#include "app/jobs/input_blocker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <utility>

namespace qb::app {

namespace {

bool isInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

} // namespace

InputBlocker::InputBlocker(QWidget* window) : window_(window) {
    QCoreApplication::instance()->installEventFilter(this);
}

InputBlocker::InputBlocker(CloseRequest whenClosing) : everyWindow_(true), whenClosing_(std::move(whenClosing)) {
    QCoreApplication::instance()->installEventFilter(this);
}

InputBlocker::~InputBlocker() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event) {
    // A request to close a window (its frame's close button, Alt+F4) is the user's input too: it is refused, and
    // handed on to whoever asked to hear of it. The job may never end (a folder that does not answer), so this is the
    // one way out the user has meanwhile.
    const bool closing = event->type() == QEvent::Close;
    if ((!closing && !isInput(event->type())) || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    const bool blocked =
        everyWindow_ ? !widget->window()->isModal() : window_ && (widget == window_ || window_->isAncestorOf(widget));
    if (!blocked || !closing)
        return blocked;
    event->ignore();
    if (event->spontaneous() && whenClosing_ && !std::exchange(closing_, true)) {
        whenClosing_(*widget->window());
        closing_ = false;
    }
    return true;
}

} // namespace qb::app

#pragma once
// Hears the notification service's signals about one notification and ends a wait on the first that concerns it.
// A class of its own because the D-Bus signals reach it through Qt's slots.

#include <QEventLoop>
#include <QObject>
#include <QString>

#include "app/services/desktop_notification.h"

namespace qb::app {

/** Ends a wait when the watched notification is clicked or closed, or its service goes away. */
class NotificationWatch : public QObject {
    Q_OBJECT

public:
    /** The action a click on the notification itself takes. */
    static inline const QString kDefaultAction = QStringLiteral("default");

    explicit NotificationWatch(QEventLoop& loop) : loop_(loop) {}

    uint id = 0; ///< the notification watched, once the service has shown it
    NotificationEnd end = NotificationEnd::TimedOut;

public slots:
    void actionInvoked(uint notification, const QString& action) {
        if (notification == id && action == kDefaultAction)
            finish(NotificationEnd::Clicked);
    }
    void notificationClosed(uint notification, uint /*reason*/) {
        if (notification == id)
            finish(NotificationEnd::Closed);
    }
    void serviceGone() { finish(NotificationEnd::Closed); }

private:
    // The first end counts: a service closes a notification right after its click, and both signals may be
    // handled before the wait returns.
    void finish(NotificationEnd how) {
        if (finished_)
            return;
        finished_ = true;
        end = how;
        loop_.quit();
    }

    QEventLoop& loop_;
    bool finished_ = false;
};

} // namespace qb::app

#pragma once
// A desktop notification through the notification service of the session bus (org.freedesktop.Notifications), with
// one action, and the wait for the user's answer to it.

#include <QDBusConnection>
#include <QImage>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>

namespace qb::app {

/** What a notification shows. */
struct NotificationContent {
    QString appName;
    QString iconName;     ///< the icon's name in the desktop's icon theme
    QImage icon;          ///< the icon's pixels, for a desktop whose theme lacks the name
    QString desktopEntry; ///< the program's menu entry, without ".desktop"
    QString summary;      ///< plain text
    QString body;         ///< plain text, escaped for a service that reads markup in the body
    QString action;       ///< the label of the action a click on the notification takes
};

/** How a notification ended. */
enum class NotificationEnd {
    NotShown, ///< the service is missing or refused it
    Clicked,  ///< the user took its action
    Closed,   ///< it was dismissed or expired, or its service went away
    TimedOut, ///< the wait reached its bound, and the notification was withdrawn
};

/** The outcome of showing a notification. */
struct [[nodiscard]] NotificationResult {
    NotificationEnd end = NotificationEnd::NotShown;
    QString problem; ///< why a service that exists did not show it; empty when there is no service at all
    /** Whether the notification was shown, whatever the user did with it then. */
    [[nodiscard]] bool ok() const { return end != NotificationEnd::NotShown; }
};

/** The desktop's session bus: the one DBUS_SESSION_BUS_ADDRESS names, else the user's bus socket in
 *  XDG_RUNTIME_DIR; nothing when there is none. It never starts a bus of its own. */
[[nodiscard]] std::optional<QDBusConnection> desktopSessionBus();

/** Shows a notification and waits, handling events, for its action or its closing, at most for bound; shown is
 *  called once the service has shown it, before the wait. */
[[nodiscard]] NotificationResult showNotificationAndWait(
    const QDBusConnection& bus, const NotificationContent& content, std::chrono::milliseconds bound,
    const std::function<void()>& shown = [] {});

} // namespace qb::app

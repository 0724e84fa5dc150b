#pragma once
// A notification service of the test's own on a session bus (org.freedesktop.Notifications): it records what it is
// asked to show and answers as the test scripts it. It runs in a thread of its own, so that the blocking calls of
// the code under test reach it.

#include <QDBusContext>
#include <QObject>
#include <QSize>
#include <QStringList>
#include <QThread>
#include <QVariantMap>
#include <mutex>
#include <string>
#include <vector>

namespace qb::test {

/** What the service does once it has shown a notification. */
enum class NotifierReaction {
    Nothing, ///< shows it until it is withdrawn
    Click,   ///< tells of the closing of another notification, then of a click on this one and of its closing
    Close,   ///< tells of a click on another notification and of another action of this one, then of its closing
    Leave,   ///< the service leaves the bus
    Refuse,  ///< answers the call with an error instead of showing it
};

/** A notification as it was asked for. */
struct AskedNotification {
    QString appName;
    uint replaces = 0;
    QString icon, summary, body;
    QStringList actions;
    QString desktopEntry; ///< the desktop-entry hint
    QSize imageSize{};    ///< the image-data hint's size, empty without one
    int channels = 0;     ///< its channels per pixel
    qsizetype imageBytes = 0;
    int timeout = 0;
};

/** The service's object on the bus; it lives in the service's thread. */
class NotifierObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    NotifierObject(QString connection, QStringList capabilities, NotifierReaction reaction);

    mutable std::mutex mutex; ///< guards asked and withdrawn, read from the test's thread
    std::vector<AskedNotification> asked;
    std::vector<uint> withdrawn;

public slots: // the service's methods on the bus
    QStringList GetCapabilities();
    uint Notify(const QString& appName, uint replaces, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int timeout);
    void CloseNotification(uint id);

signals: // the service's signals on the bus
    void ActionInvoked(uint id, const QString& action);
    void NotificationClosed(uint id, uint reason);

private:
    void react(uint id);

    QString connection_;
    QStringList capabilities_;
    NotifierReaction reaction_;
};

/** The service on a bus, from construction to destruction. */
class FakeNotificationServer {
public:
    FakeNotificationServer(const std::string& busAddress, QStringList capabilities, NotifierReaction reaction);
    ~FakeNotificationServer();
    FakeNotificationServer(const FakeNotificationServer&) = delete;
    FakeNotificationServer& operator=(const FakeNotificationServer&) = delete;

    /** Whether the service took its name on the bus. */
    bool registered() const { return registered_; }
    /** The notifications asked for, in order. */
    std::vector<AskedNotification> asked() const;
    /** The notifications withdrawn by CloseNotification, in order. */
    std::vector<uint> withdrawn() const;

private:
    QThread thread_;
    NotifierObject* object_;
    bool registered_ = false;
};

} // namespace qb::test

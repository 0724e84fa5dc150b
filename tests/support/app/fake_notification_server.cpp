#include "fake_notification_server.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QTimer>

namespace qb::test {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kConnection = QStringLiteral("fake-notifications");

} // namespace

NotifierObject::NotifierObject(QString connection, QStringList capabilities, NotifierReaction reaction)
    : connection_(std::move(connection)), capabilities_(std::move(capabilities)), reaction_(reaction) {}

QStringList NotifierObject::GetCapabilities() {
    return capabilities_;
}

uint NotifierObject::Notify(const QString& appName, uint replaces, const QString& icon, const QString& summary,
                            const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout) {
    if (reaction_ == NotifierReaction::Refuse) {
        sendErrorReply(QStringLiteral("org.example.Error.Full"), QStringLiteral("Too many notifications"));
        return 0;
    }
    AskedNotification notification{
        appName, replaces, icon, summary, body, actions, hints.value("desktop-entry").toString()};
    notification.timeout = timeout;
    if (hints.contains("image-data")) {
        const auto image = hints.value("image-data").value<QDBusArgument>();
        int width = 0, height = 0, stride = 0, bits = 0;
        bool alpha = false;
        QByteArray data;
        image.beginStructure();
        image >> width >> height >> stride >> alpha >> bits >> notification.channels >> data;
        image.endStructure();
        notification.imageSize = QSize(width, height);
        notification.imageBytes = data.size();
    }
    const std::lock_guard lock(mutex);
    asked.push_back(notification);
    const uint id = 40 + static_cast<uint>(asked.size());
    QTimer::singleShot(0, this, [this, id] { react(id); }); // after the answer to this call has gone
    return id;
}

void NotifierObject::CloseNotification(uint id) {
    const std::lock_guard lock(mutex);
    withdrawn.push_back(id);
}

void NotifierObject::react(uint id) {
    switch (reaction_) {
    case NotifierReaction::Click: // as services do, it closes the notification right after its click
        emit NotificationClosed(id + 1, 2);
        emit ActionInvoked(id, QStringLiteral("default"));
        emit NotificationClosed(id, 2);
        break;
    case NotifierReaction::Close:
        emit ActionInvoked(id + 1, QStringLiteral("default"));
        emit ActionInvoked(id, QStringLiteral("other"));
        emit NotificationClosed(id, 1);
        break;
    case NotifierReaction::Leave:
        QDBusConnection(connection_).unregisterService(kService);
        break;
    case NotifierReaction::Nothing:
    case NotifierReaction::Refuse:
        break;
    }
}

FakeNotificationServer::FakeNotificationServer(const std::string& busAddress, QStringList capabilities,
                                               NotifierReaction reaction)
    : object_(new NotifierObject(kConnection, std::move(capabilities), reaction)) {
    object_->moveToThread(&thread_);
    thread_.start();
    // Registering gives the object children, which are made in its own thread.
    QMetaObject::invokeMethod(
        object_,
        [this, address = QString::fromStdString(busAddress)] {
            QDBusConnection bus = QDBusConnection::connectToBus(address, kConnection);
            registered_ = bus.registerObject(kPath, object_,
                                             QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) &&
                          bus.registerService(kService);
        },
        Qt::BlockingQueuedConnection);
}

FakeNotificationServer::~FakeNotificationServer() {
    QMetaObject::invokeMethod(
        object_,
        [this] {
            QDBusConnection(kConnection).unregisterObject(kPath);
            delete object_;
            QDBusConnection::disconnectFromBus(kConnection);
        },
        Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

std::vector<AskedNotification> FakeNotificationServer::asked() const {
    const std::lock_guard lock(object_->mutex);
    return object_->asked;
}

std::vector<uint> FakeNotificationServer::withdrawn() const {
    const std::lock_guard lock(object_->mutex);
    return object_->withdrawn;
}

} // namespace qb::test

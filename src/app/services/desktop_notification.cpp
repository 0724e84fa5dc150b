#include "app/services/desktop_notification.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QTimer>
#include <QVariantMap>
#include <sys/stat.h>
#include <unistd.h>

#include "app/services/desktop_notification_watch.h"

namespace qb::app {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// The user's bus socket in the runtime folder, as the D-Bus library itself accepts it: a socket of this user's.
bool userBusSocketExists() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return false;
    struct stat st {};
    return ::lstat((runtime + "/bus").constData(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::getuid();
}

QDBusMessage callService(const QDBusConnection& bus, const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, method);
    call.setArguments(arguments);
    return bus.call(call);
}

// The picture as the image-data hint carries it: width, height, bytes per row, alpha, bits per sample, channels,
// then the RGBA bytes.
QVariant imageData(const QImage& icon) {
    const QImage rgba = icon.convertToFormat(QImage::Format_RGBA8888);
    QDBusArgument data;
    data.beginStructure();
    data << rgba.width() << rgba.height() << static_cast<int>(rgba.bytesPerLine()) << true << 8 << 4
         << QByteArray(reinterpret_cast<const char*>(rgba.constBits()), static_cast<qsizetype>(rgba.sizeInBytes()));
    data.endStructure();
    return QVariant::fromValue(data);
}

QString bodyFor(const QDBusConnection& bus, const QString& body) {
    // A service that reads markup in the body would take a < or & of a record's text for a tag.
    const QDBusMessage capabilities = callService(bus, QStringLiteral("GetCapabilities"));
    const bool markup = capabilities.type() == QDBusMessage::ReplyMessage && !capabilities.arguments().isEmpty() &&
                        capabilities.arguments().constFirst().toStringList().contains(QStringLiteral("body-markup"));
    return markup ? body.toHtmlEscaped() : body;
}

} // namespace

std::optional<QDBusConnection> desktopSessionBus() {
    // Without either, the D-Bus library would try to start a bus of its own for the X display.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") && !userBusSocketExists())
        return std::nullopt;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return std::nullopt;
    return bus;
}

NotificationResult showNotificationAndWait(const QDBusConnection& bus, const NotificationContent& content,
                                           std::chrono::milliseconds bound, const std::function<void()>& shown) {
    QEventLoop loop;
    NotificationWatch watch(loop);
    // Listening starts before the notification is shown, so no answer to it can pass unheard.
    QDBusConnection listening = bus;
    listening.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), &watch,
                      SLOT(actionInvoked(uint, QString)));
    listening.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), &watch,
                      SLOT(notificationClosed(uint, uint)));
    QDBusServiceWatcher serviceWatch(kService, bus, QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(&serviceWatch, &QDBusServiceWatcher::serviceUnregistered, &watch, &NotificationWatch::serviceGone);

    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), content.desktopEntry);
    hints.insert(QStringLiteral("image-data"), imageData(content.icon));
    const QDBusMessage notified =
        callService(bus, QStringLiteral("Notify"),
                    {content.appName, 0U, content.iconName, content.summary, bodyFor(bus, content.body),
                     QStringList{NotificationWatch::kDefaultAction, content.action}, hints,
                     -1}); // -1: the service's own display time
    if (notified.type() != QDBusMessage::ReplyMessage || notified.arguments().isEmpty()) {
        const bool noService = notified.errorName() == QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown");
        return {NotificationEnd::NotShown,
                noService ? QString() : QStringLiteral("%1 (%2)").arg(notified.errorMessage(), notified.errorName())};
    }
    watch.id = notified.arguments().constFirst().toUInt();
    shown();

    QTimer::singleShot(bound, &loop, &QEventLoop::quit);
    loop.exec();
    if (watch.end == NotificationEnd::TimedOut) // its action would start nothing any more
        (void)callService(bus, QStringLiteral("CloseNotification"), {watch.id});
    return {watch.end, {}};
}

} // namespace qb::app

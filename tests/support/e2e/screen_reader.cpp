#include "screen_reader.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <vector>

namespace qb::e2e {
namespace {

constexpr const char* kAccessible = "org.a11y.atspi.Accessible";
using Object = std::pair<QString, QString>; // the program's bus name and the object's path there

} // namespace

struct ScreenReader::Bus {
    QDBusConnection connection;

    // A method's first answer; an invalid one when none came.
    QVariant call(const Object& object, const char* interface, const char* method, const QVariantList& arguments = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(object.first, object.second, interface, method);
        message.setArguments(arguments);
        const QDBusMessage reply = connection.call(message, QDBus::Block, 10000);
        return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() ? reply.arguments().first()
                                                                                          : QVariant();
    }
    QString name(const Object& object) {
        return call(object, "org.freedesktop.DBus.Properties", "Get", {QString(kAccessible), QStringLiteral("Name")})
            .value<QDBusVariant>()
            .variant()
            .toString();
    }
    std::vector<Object> children(const Object& object) {
        std::vector<Object> found;
        const QDBusArgument list = call(object, kAccessible, "GetChildren").value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            QString service;
            QDBusObjectPath path;
            list.beginStructure();
            list >> service >> path;
            list.endStructure();
            found.emplace_back(service, path.path());
        }
        list.endArray();
        return found;
    }
};

ScreenReader::ScreenReader(const std::string& sessionBusAddress) {
    static int argc = 1;
    static char program[] = "screen_reader", *argv[] = {program, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv); // QtDBus needs one; it lives as long as the test binary
    const QDBusMessage address =
        QDBusConnection::connectToBus(QString::fromStdString(sessionBusAddress), "session")
            .call(QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress"));
    if (address.type() != QDBusMessage::ReplyMessage) {
        error_ = "no accessibility bus: " + address.errorMessage().toStdString();
        return;
    }
    bus_ = std::make_unique<Bus>(
        Bus{QDBusConnection::connectToBus(address.arguments().first().toString(), QStringLiteral("a11y"))});
}

ScreenReader::~ScreenReader() = default;

std::optional<std::chrono::microseconds> ScreenReader::readWindow(const std::string& title, int& labelsAndBoxes) {
    const auto start = std::chrono::steady_clock::now();
    // The registry lists the programs on the bus, this session's one; the program lists its windows.
    const std::vector<Object> programs = bus_->children({"org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"});
    for (const Object& window : programs.empty() ? std::vector<Object>{} : bus_->children(programs.front())) {
        if (!bus_->name(window).startsWith(QString::fromStdString(title)))
            continue;
        labelsAndBoxes = 0;
        std::vector<Object> controls = bus_->children(window);
        for (std::size_t i = 0; i < controls.size(); ++i) { // a frame's controls are appended as they are met
            const QString role = bus_->call(controls[i], kAccessible, "GetRoleName").toString();
            if (role == "label" || role == "text")
                labelsAndBoxes += !bus_->name(controls[i]).isEmpty();
            const std::vector<Object> inside = role == "panel" ? bus_->children(controls[i]) : std::vector<Object>{};
            controls.insert(controls.end(), inside.begin(), inside.end());
        }
        return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    }
    return std::nullopt;
}

} // namespace qb::e2e

#include "screen_reader.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <utility>

namespace qb::e2e {
namespace {

constexpr const char* kAccessible = "org.a11y.atspi.Accessible";
constexpr const char* kRoot = "/org/a11y/atspi/accessible/root";

// An accessible object: the bus name of its program and its path there.
using Object = std::pair<QString, QString>;

// QtDBus wants an application object, which a test binary of plain GoogleTest does not have.
void ensureApplication() {
    static int argc = 1;
    static char name[] = "screen_reader";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv); // lives as long as the test binary
}

} // namespace

struct ScreenReader::Bus {
    QDBusConnection connection;
    int timeoutMs = 10000;

    // Calls a method and gives its first answer; nothing when none came.
    std::optional<QVariant> call(const Object& object, const char* interface, const char* method,
                                 const QVariantList& arguments = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(object.first, object.second, interface, method);
        message.setArguments(arguments);
        const QDBusMessage reply = connection.call(message, QDBus::Block, timeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return std::nullopt;
        return reply.arguments().first();
    }

    std::optional<std::string> text(const Object& object, const char* interface, const char* method,
                                    const QVariantList& arguments = {}) {
        std::optional<QVariant> answer = call(object, interface, method, arguments);
        if (!answer)
            return std::nullopt;
        if (answer->canConvert<QDBusVariant>())
            answer = answer->value<QDBusVariant>().variant();
        return answer->toString().toStdString();
    }

    std::optional<std::string> name(const Object& object) {
        return text(object, "org.freedesktop.DBus.Properties", "Get", {QString(kAccessible), QStringLiteral("Name")});
    }

    std::optional<std::vector<Object>> children(const Object& object) {
        const std::optional<QVariant> answer = call(object, kAccessible, "GetChildren");
        if (!answer)
            return std::nullopt;
        std::vector<Object> found;
        const QDBusArgument list = answer->value<QDBusArgument>();
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
    ensureApplication();
    QDBusConnection session =
        QDBusConnection::connectToBus(QString::fromStdString(sessionBusAddress), QStringLiteral("reader-session"));
    const QDBusMessage reply =
        session.call(QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress"),
                     QDBus::Block, 10000);
    QDBusConnection::disconnectFromBus(QStringLiteral("reader-session"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        error_ = "the session bus has no accessibility bus: " + reply.errorMessage().toStdString();
        return;
    }
    QDBusConnection connection =
        QDBusConnection::connectToBus(reply.arguments().first().toString(), QStringLiteral("reader-a11y"));
    if (!connection.isConnected()) {
        error_ = "cannot connect to the accessibility bus: " + connection.lastError().message().toStdString();
        return;
    }
    bus_ = std::make_unique<Bus>(Bus{connection});
}

ScreenReader::~ScreenReader() {
    bus_.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("reader-a11y"));
}

std::optional<ReadWindow> ScreenReader::readWindow(const std::string& title, int seconds) {
    if (!bus_)
        return std::nullopt;
    bus_->timeoutMs = seconds * 1000;
    // The registry lists the programs on the bus; this session runs one.
    const auto programs = bus_->children({"org.a11y.atspi.Registry", kRoot});
    if (!programs || programs->empty())
        return std::nullopt;
    const auto start = std::chrono::steady_clock::now();
    const auto windows = bus_->children(programs->front());
    if (!windows)
        return std::nullopt;
    for (const Object& window : *windows) {
        const std::optional<std::string> name = bus_->name(window);
        if (!name || !name->starts_with(title))
            continue;
        ReadWindow read{*name, {}, {}, {}};
        // The controls, and those inside a frame such as the creation-date filters.
        std::vector<Object> controls = bus_->children(window).value_or(std::vector<Object>{});
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const std::optional<std::string> role = bus_->text(controls[i], kAccessible, "GetRoleName");
            if (!role)
                return std::nullopt;
            if (*role == "label" || *role == "text" || *role == "entry") {
                const std::optional<std::string> controlName = bus_->name(controls[i]);
                if (!controlName)
                    return std::nullopt;
                (*role == "label" ? read.labels : read.textBoxes).push_back(*controlName);
            } else if (*role == "panel" || *role == "grouping" || *role == "filler") {
                const auto inside = bus_->children(controls[i]).value_or(std::vector<Object>{});
                controls.insert(controls.end(), inside.begin(), inside.end());
            }
        }
        read.took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
        return read;
    }
    return std::nullopt;
}

} // namespace qb::e2e

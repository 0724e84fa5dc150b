// The desktop notification over D-Bus, against a notification service of the test's own: what is sent, how the
// body is escaped for a service that reads markup, and how the wait ends: a click on it (not on another
// notification, not another action), its closing, its service leaving the bus, a refusal, or the bound of the wait,
// after which it is withdrawn.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QImage>

#include "app/services/desktop_notification.h"
#include "app/services/desktop_notification_watch.h"
#include "fake_notification_server.h"
#include "session_bus.h"

namespace qb::test {
namespace {

using Reaction = NotifierReaction;
using app::NotificationEnd;

app::NotificationContent reminders() {
    QImage icon(64, 64, QImage::Format_ARGB32);
    icon.fill(Qt::darkCyan);
    return {QStringLiteral("Quillbox"),
            QStringLiteral("quillbox"),
            icon,
            QStringLiteral("quillbox"),
            QStringLiteral("Quillbox: 2 reminders for today"),
            QStringLiteral("Dentist at 4 & bring the <card>\nCall \"Ann\""),
            QStringLiteral("Open Quillbox")};
}

TEST(DesktopNotification, SendsOneNotificationAndWaitsForItsEnd) {
    const QString plain = QStringLiteral("Dentist at 4 & bring the <card>\nCall \"Ann\"");
    const QString escaped = QStringLiteral("Dentist at 4 &amp; bring the &lt;card&gt;\nCall &quot;Ann&quot;");
    const struct {
        const char* what;
        QStringList capabilities;
        Reaction reaction;
        NotificationEnd end;
        QString body;
        bool withdrawn;
        bool problem;
    } cases[] = {
        {"clicked", {"actions", "body"}, Reaction::Click, NotificationEnd::Clicked, plain, false, false},
        {"closed", {"actions", "body", "body-markup"}, Reaction::Close, NotificationEnd::Closed, escaped, false, false},
        {"service gone", {"body"}, Reaction::Leave, NotificationEnd::Closed, plain, false, false},
        {"no answer", {"body-markup"}, Reaction::Nothing, NotificationEnd::TimedOut, escaped, true, false},
        {"refused", {}, Reaction::Refuse, NotificationEnd::NotShown, plain, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SessionBus bus;
        ASSERT_TRUE(bus.error().empty()) << bus.error();
        FakeNotificationServer server(bus.address(), c.capabilities, c.reaction);
        ASSERT_TRUE(server.registered());
        QDBusConnection client = QDBusConnection::connectToBus(QString::fromStdString(bus.address()), "client");
        QElapsedTimer waited;
        waited.start();
        const app::NotificationResult result =
            app::showNotificationAndWait(client, reminders(), std::chrono::milliseconds(800));
        QDBusConnection::disconnectFromBus("client");

        EXPECT_EQ(result.end, c.end);
        EXPECT_EQ(result.problem.isEmpty(), !c.problem) << result.problem.toStdString();
        EXPECT_EQ(waited.elapsed() >= 800, c.end == NotificationEnd::TimedOut) << waited.elapsed() << " ms";
        if (c.reaction == Reaction::Refuse)
            continue;
        const std::vector<AskedNotification> shown = server.asked();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].appName, "Quillbox");
        EXPECT_EQ(shown[0].replaces, 0u);
        EXPECT_EQ(shown[0].icon, "quillbox");
        EXPECT_EQ(shown[0].summary, "Quillbox: 2 reminders for today");
        EXPECT_EQ(shown[0].body, c.body);
        EXPECT_EQ(shown[0].actions, (QStringList{"default", "Open Quillbox"}));
        EXPECT_EQ(shown[0].desktopEntry, "quillbox");
        EXPECT_EQ(shown[0].imageSize, QSize(64, 64));
        EXPECT_EQ(shown[0].channels, 4);
        EXPECT_EQ(shown[0].imageBytes, 64 * 64 * 4);
        EXPECT_EQ(shown[0].timeout, -1) << "the service's own display time";
        EXPECT_EQ(server.withdrawn(), c.withdrawn ? std::vector<uint>{41} : std::vector<uint>{});
    }
}

TEST(NotificationWatch, TheFirstSignalAboutItsNotificationEndsTheWait) {
    enum Signal { ClickOther, OtherAction, Click, CloseOther, Close, ServiceGone };
    const struct {
        std::vector<Signal> heard;
        NotificationEnd end;
    } cases[] = {
        {{}, NotificationEnd::TimedOut},
        {{ClickOther, OtherAction, CloseOther}, NotificationEnd::TimedOut},
        {{CloseOther, Click, Close}, NotificationEnd::Clicked}, // a service closes a notification after its click
        {{OtherAction, Close, Click}, NotificationEnd::Closed},
        {{ServiceGone, Click}, NotificationEnd::Closed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        QEventLoop loop;
        app::NotificationWatch watch(loop);
        watch.id = 7;
        for (const Signal signal : c.heard) { // all before the wait returns, as when they come in one batch
            switch (signal) {
            case ClickOther:
                watch.actionInvoked(8, "default");
                break;
            case OtherAction:
                watch.actionInvoked(7, "snooze");
                break;
            case Click:
                watch.actionInvoked(7, "default");
                break;
            case CloseOther:
                watch.notificationClosed(8, 1);
                break;
            case Close:
                watch.notificationClosed(7, 2);
                break;
            case ServiceGone:
                watch.serviceGone();
                break;
            }
        }
        EXPECT_EQ(watch.end, c.end);
    }
}

} // namespace
} // namespace qb::test

// `quillbox --remind` without a notification service: the records the start-up check lists, printed as UTF-8, the
// exit status, and nothing created or changed, in the Quillbox home, the working folder or the user's home.

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include <QPlainTextEdit>
#include <unistd.h>

#include "app/text/text_codec.h"
#include "app/widgets/limited_text_edit.h"
#include "app/windows/reminder_window.h"
#include "commands.h"
#include "fake_notification_server.h"
#include "form_fixture.h"
#include "remind/reminder_check.h"
#include "remind/reminder_notice.h"
#include "session_bus.h"
#include "store/record_file.h"
#include "temp_dir.h"

namespace qb::test {
namespace {

class RemindCommandTest : public FormFixture {};

TEST_F(RemindCommandTest, TellsTheRecordsTheStartUpCheckLists) {
    writeFile(drivePath("c:\\flag.dat"), " \r\n");
    writeFile(drivePath("c:\\default.dat"), "c:\\notes\r\n");
    const std::string notes = home / "drive_c/notes";
    for (int i = 10; i < 25; ++i) // due, not due and written day first, in an order the listing decides
        writeFile(notes + "/12" + std::to_string(i) + "1000.611",
                  store::recordFileBytes({i % 3 == 0   ? "12/07/26"
                                          : i % 3 == 1 ? "12/06/26"
                                                       : "06/12/26",
                                          "record " + std::to_string(i) + "\r\nsecond line"}));
    writeFile(notes + "/12301000.611", "\"12/06/26\"\r\n");                  // one field: not a record
    writeFile(notes + "/sub/12311000.611", "\"12/06/26\"\r\n\"below\"\r\n"); // a folder below is not walked
    writeFile(home / "drive_c/quill/12011000.611", "\"12/06/26\"\r\n\"not the default directory\"\r\n");

    const remind::ReminderNotice notice =
        remind::todaysReminders(drives, clock.now(), store::ToldReminders(remind::reminderDateOf(clock.now()))).all;
    app::MainWindow& f = makeForm();
    f.hide();
    f.startUp();
    ASSERT_TRUE(f.reminderWindow().isVisible());
    const QString listed =
        app::crlfText(f.reminderWindow().controls().reminderList).replace(QStringLiteral("\r\n"), "\n");
    EXPECT_EQ(notice.count(), 5u);
    EXPECT_EQ(QString::fromStdString(notice.printed()), "Quillbox: 5 reminders for today\n\n" + listed);
}

using harness::CommandResult;

const std::string kDue = "Quillbox: 1 reminder for today\n\nReminder dated: 12/06/26\n\nCafé with Ann\nat 10\n\n"
                         "--------------------\n\n";

// A Quillbox home with alarm checking on, one record due on 6 December and one the day after.
void writeHome(const TempDir& home) {
    writeFile(home / "drive_c/flag.dat", " \r\n");
    writeFile(home / "drive_c/quill/12011000.611", "\"12/06/26\"\r\n\"Caf\xe9 with Ann\r\nat 10\"\r\n");
    writeFile(home / "drive_c/quill/12021000.611", "\"12/07/26\"\r\n\"tomorrow\"\r\n");
}

// The program run as a desktop session without a notification service runs it: no display, no bus unless one is
// given, the user's home, runtime folder and working folder in temporary folders, the date 6 December 2026.
class RemindProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access(harness::kFakeTimeLibrary, R_OK) != 0)
            GTEST_SKIP() << "faketime is not installed";
    }

    CommandResult remind(const TempDir& home, std::vector<std::string> arguments = {},
                         const std::string& busAddress = {}, const std::string& stdoutFile = {}) {
        const std::string before = fingerprints(home);
        arguments.insert(arguments.begin(), {QUILLBOX_EXECUTABLE, "--remind"});
        std::vector<std::string> changes = harness::fakeTimeVariables("@2026-12-06 10:00:00");
        changes.insert(changes.end(), {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "HOME=" + user.path(),
                                       "XDG_STATE_HOME=" + state.path(), // what it told: its one file to write
                                       "XDG_RUNTIME_DIR=" + runtime.path(), "QUILLBOX_HOME=" + home.path(),
                                       "DBUS_SESSION_BUS_ADDRESS" + (busAddress.empty() ? "" : "=" + busAddress)});
        CommandResult run = harness::run({.argv = arguments,
                                          .environment = harness::environmentWith(changes),
                                          .folder = workdir.path(),
                                          .limit = std::chrono::seconds(30),
                                          .errors = harness::Errors::Apart,
                                          .outputFile = stdoutFile});
        EXPECT_FALSE(run.timedOut) << "quillbox --remind did not end";
        EXPECT_EQ(fingerprints(home), before) << "quillbox --remind created or changed a file or folder";
        return run;
    }

    std::string fingerprints(const TempDir& home) const {
        return folderFingerprint(home.path()) + folderFingerprint(user.path()) + folderFingerprint(workdir.path()) +
               folderFingerprint(runtime.path());
    }

    TempDir user, runtime, workdir, state;
};

TEST_F(RemindProcessTest, PrintsTodaysRemindersOrNothingAndEndsWithZero) {
    const struct {
        const char* what;
        std::string path;  // a file changed before the run
        std::string bytes; // its new content; empty: it is deleted
        std::string out;
    } cases[] = {
        {"a record due today", "drive_c/quill/12031000.611", "\"12/05/26\"\r\n\"yesterday\"\r\n", kDue},
        {"a start-up password", "drive_c/@.dat", "word\r\n",
         "Quillbox: 1 reminder for today\nOpen Quillbox to read them\n"},
        {"nothing due", "drive_c/quill/12011000.611", "", ""},
        {"alarm checking off", "drive_c/flag.dat", "", ""},
        {"no data folder", "drive_c/quill", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TempDir home;
        writeHome(home);
        if (c.bytes.empty())
            std::filesystem::remove_all(home / c.path);
        else
            writeFile(home / c.path, c.bytes);
        std::filesystem::remove_all(state / "quillbox");
        const CommandResult run = remind(home);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.output, c.out);
        EXPECT_EQ(run.errors, "");
        EXPECT_TRUE(c.path != "drive_c/flag.dat" || listFolder(state.path()).empty()) << "the state folder was made";
    }
    const TempDir missing; // a Quillbox home that does not exist stays so
    const CommandResult run = remind(missing, {"--home", missing / "none"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "");
    EXPECT_TRUE(listFolder(missing.path()).empty());
}

TEST_F(RemindProcessTest, HomeOptionBusWithoutNotificationsAndAFullDisk) {
    const TempDir home, other;
    writeHome(home);
    writeFile(other / "drive_c/flag.dat", " \r\n");
    writeFile(other / "drive_c/quill/12011000.611", "\"12/06/26\"\r\n\"from --home\"\r\n");
    const SessionBus bus;
    ASSERT_TRUE(bus.error().empty()) << bus.error();

    CommandResult run = remind(home, {}, bus.address()); // a session bus, but no notification service on it
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, kDue);
    EXPECT_EQ(run.errors, "") << "a missing notification service is no error";

    run = remind(home, {"--home", other.path()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "Quillbox: 1 reminder for today\n\nReminder dated: 12/06/26\n\nfrom --home\n\n"
                          "--------------------\n\n");

    run = remind(home, {}, {}, "/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors, "quillbox: Today's reminders could not be written to standard output.\n");
    run = remind(home, {"--quiet"}, {}, "/dev/full"); // as the login entry and the timer run it: nothing printed
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errors, "");

    std::filesystem::permissions(other.path(), std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::add);
    run = remind(home, {"--home", other.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "") << "nothing is read from a home that others may write to";
    EXPECT_NE(run.errors.find("quillbox: Today's reminders cannot be read: other users may write to the folder"),
              std::string::npos)
        << run.errors;
}

// A run that starts while an earlier one has the turn waits, however long, and notifies only what that one did not.
TEST_F(RemindProcessTest, WaitsItsTurnAndNotifiesOnlyWhatTheEarlierRunDidNot) {
    const TempDir home;
    writeHome(home);
    writeFile(home / "drive_c/quill/12031000.611", "\"12/06/26\"\r\n\"Bring cake\"\r\n");
    const SessionBus bus;
    const FakeNotificationServer notifier(bus.address(), {"body"}, NotifierReaction::Close);
    std::thread earlier([&, turn = std::make_unique<store::ToldRemindersTurn>(state / "quillbox")]() mutable {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // walking a slow folder, say
        store::ToldReminders told("12/06/26");
        told.add(home / "drive_c/quill", {"12011000.611"});
        EXPECT_TRUE(store::storeToldReminders(state / "quillbox", told).ok());
        turn.reset();
    });
    EXPECT_EQ(remind(home, {"--quiet"}, bus.address()).status, 0);
    earlier.join();
    ASSERT_EQ(notifier.asked().size(), 1u);
    EXPECT_EQ(notifier.asked()[0].body.toStdString(), "Bring cake") << "what the earlier run told was told again";
}

} // namespace
} // namespace qb::test

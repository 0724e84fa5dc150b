// `quillbox --remind` without a notification service: the records the start-up check lists, printed as UTF-8, the
// exit status, and nothing created or changed, in the Quillbox home, the working folder or the user's home.

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProcessEnvironment>

#include "app/text/text_codec.h"
#include "app/widgets/limited_text_edit.h"
#include "app/windows/reminder_window.h"
#include "fake_notification_server.h"
#include "form_fixture.h"
#include "remind/reminder_check.h"
#include "remind/reminder_notice.h"
#include "session_bus.h"
#include "store/record_file.h"
#include "temp_dir.h"

namespace qb::test {
namespace {

constexpr const char* kFakeTime = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

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

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

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
        if (!QFile::exists(QString::fromLatin1(kFakeTime)))
            GTEST_SKIP() << "faketime is not installed";
    }

    Outcome remind(const TempDir& home, const QStringList& arguments = {}, const std::string& busAddress = {},
                   const QString& stdoutFile = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"})
            env.remove(QString::fromLatin1(name));
        env.insert("HOME", QString::fromStdString(user.path()));
        env.insert("XDG_STATE_HOME", QString::fromStdString(state.path())); // what it told: its one file to write
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.path()));
        env.insert("QUILLBOX_HOME", QString::fromStdString(home.path()));
        env.insert("LD_PRELOAD", kFakeTime);
        env.insert("FAKETIME", "@2026-12-06 10:00:00");
        env.insert("DONT_FAKE_MONOTONIC", "1");
        if (!busAddress.empty())
            env.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromStdString(busAddress));
        const std::string before = fingerprints(home);
        QProcess program;
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(QString::fromStdString(workdir.path()));
        if (!stdoutFile.isEmpty())
            program.setStandardOutputFile(stdoutFile);
        program.start(QUILLBOX_EXECUTABLE, QStringList{"--remind"} + arguments);
        if (!program.waitForFinished(30'000)) {
            program.kill();
            program.waitForFinished();
            ADD_FAILURE() << "quillbox --remind did not end";
            return {};
        }
        EXPECT_EQ(fingerprints(home), before) << "quillbox --remind created or changed a file or folder";
        const int code = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
        return {code, program.readAllStandardOutput().toStdString(), program.readAllStandardError().toStdString()};
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
        const Outcome run = remind(home);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, "");
    }
    const TempDir missing; // a Quillbox home that does not exist stays so
    const Outcome run = remind(missing, {"--home", QString::fromStdString(missing / "none")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(listFolder(missing.path()).empty());
}

TEST_F(RemindProcessTest, HomeOptionBusWithoutNotificationsAndAFullDisk) {
    const TempDir home, other;
    writeHome(home);
    writeFile(other / "drive_c/flag.dat", " \r\n");
    writeFile(other / "drive_c/quill/12011000.611", "\"12/06/26\"\r\n\"from --home\"\r\n");
    const SessionBus bus;
    ASSERT_TRUE(bus.error().empty()) << bus.error();

    Outcome run = remind(home, {}, bus.address()); // a session bus, but no notification service on it
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kDue);
    EXPECT_EQ(run.err, "") << "a missing notification service is no error";

    run = remind(home, {"--home", QString::fromStdString(other.path())});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Quillbox: 1 reminder for today\n\nReminder dated: 12/06/26\n\nfrom --home\n\n"
                       "--------------------\n\n");

    run = remind(home, {}, {}, "/dev/full");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "quillbox: Today's reminders could not be written to standard output.\n");
    run = remind(home, {"--quiet"}, {}, "/dev/full"); // as the login entry and the timer run it: nothing printed
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");

    std::filesystem::permissions(other.path(), std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::add);
    run = remind(home, {"--home", QString::fromStdString(other.path())});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "") << "nothing is read from a home that others may write to";
    EXPECT_NE(run.err.find("quillbox: Today's reminders cannot be read: other users may write to the folder"),
              std::string::npos)
        << run.err;
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
    EXPECT_EQ(remind(home, {"--quiet"}, bus.address()).exitCode, 0);
    earlier.join();
    ASSERT_EQ(notifier.asked().size(), 1u);
    EXPECT_EQ(notifier.asked()[0].body.toStdString(), "Bring cake") << "what the earlier run told was told again";
}

} // namespace
} // namespace qb::test

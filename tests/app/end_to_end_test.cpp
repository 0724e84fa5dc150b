// The real executable, started as a user starts it, with alarm checking on and two records due today.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include "temp_dir.h"

namespace qb::test {
namespace {

constexpr const char* kFakeTime = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

TEST(EndToEnd, AlarmCheckAtStartUpListsTheRecordsDueToday) {
    if (!QFile::exists(QString::fromLatin1(kFakeTime)))
        GTEST_SKIP() << "faketime is not installed";
    TempDir home;
    TempDir workdir;
    writeFile(home / "drive_c/flag.dat", " \r\n");
    writeFile(home / "drive_c/quill/12011000.611", "\"12/06/26\"\r\n\"Buy tickets\r\nfor the show\"\r\n");
    writeFile(home / "drive_c/quill/12021000.611", "\"12/07/26\"\r\n\"tomorrow\"\r\n");
    writeFile(home / "drive_c/quill/12031000.611", "\"12/06/26\"\r\n\"Call Anna\"\r\n");
    const QString out = QString::fromStdString(workdir / "reminderWindow.txt");

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUILLBOX_HOME", QString::fromStdString(home.path()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("LD_PRELOAD", QString::fromLatin1(kFakeTime) + " " + QUILLBOX_WINDOW_PROBE);
    env.insert("FAKETIME", "@2026-12-06 10:00:00");
    env.insert("DONT_FAKE_MONOTONIC", "1");
    env.insert("QUILLBOX_PROBE_WINDOW", "ReminderWindow");
    env.insert("QUILLBOX_PROBE_CONTROL", "reminderList");
    env.insert("QUILLBOX_PROBE_OUT", out);
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(QString::fromStdString(workdir.path()));
    program.start(QUILLBOX_EXECUTABLE, {});
    ASSERT_TRUE(program.waitForFinished(90'000)) << "the program did not end";
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();

    const std::string list = readFile(workdir / "reminderWindow.txt");
    EXPECT_NE(list.find("Reminder dated: 12/06/26\n\nBuy tickets\nfor the show\n\n--------------------"),
              std::string::npos)
        << list;
    EXPECT_NE(list.find("Reminder dated: 12/06/26\n\nCall Anna\n\n--------------------"), std::string::npos) << list;
    EXPECT_EQ(list.find("tomorrow"), std::string::npos) << list;
}

} // namespace
} // namespace qb::test

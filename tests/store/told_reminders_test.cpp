// The file that remembers which reminders `quillbox --remind` told today: written and read back whole, and read
// defensively, since it is input too: cut short, huge, hand-edited or planted.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "store/told_reminders.h"
#include "temp_dir.h"

using qb::store::loadToldReminders;
using qb::store::ToldReminders;
using qb::test::TempDir;
using qb::test::writeFile;

namespace {

const std::string kHeader = "quillbox reminders told, 1\n";

TEST(ToldReminders, WhatIsWrittenIsReadBackAndOnlyTodayCounts) {
    ToldReminders told("12/08/26");
    const std::string oddFolder = "/home/me/my notes/100%\x01\xE9";
    told.add("/home/me/quill", {"12081000.600", "12071000.sync-conflict-20261208-015355-66GBZUU.600"});
    told.add(oddFolder, {"tab\tname", "12081000.601"});
    const std::string bytes = told.bytes();
    EXPECT_EQ(bytes.find('\t'), std::string::npos) << bytes;
    const ToldReminders read = ToldReminders::parse(bytes, "12/08/26");
    EXPECT_TRUE(read.told("/home/me/quill", "12081000.600"));
    EXPECT_TRUE(read.told("/home/me/quill", "12071000.sync-conflict-20261208-015355-66GBZUU.600"));
    EXPECT_TRUE(read.told(oddFolder, "tab\tname"));
    EXPECT_FALSE(read.told("/home/me/quill", "12081000.601")) << "told in another folder";
    EXPECT_EQ(read.bytes(), bytes);
    EXPECT_FALSE(ToldReminders::parse(bytes, "12/09/26").told("/home/me/quill", "12081000.600")) << "a new day";
    EXPECT_EQ(ToldReminders::parse(bytes, "12/09/26").bytes(), kHeader);
}

TEST(ToldReminders, WhatIsNoLineOfTheFileCountsAsNothingTold) {
    const struct {
        const char* what;
        std::string bytes;
        bool told; // whether 12081000.600 in /q counts as told
    } cases[] = {
        {"a whole line", kHeader + "12/08/26 /q 12081000.600\n", true},
        {"among other days and folders", kHeader + "12/07/26 /q x\n12/08/26 /r 1\n12/08/26 /q 12081000.600\n", true},
        {"no header", "12/08/26 /q 12081000.600\n", false},
        {"another version", "quillbox reminders told, 2\n12/08/26 /q 12081000.600\n", false},
        {"cut short in the line", kHeader + "12/08/26 /q 12081000.600", false},
        {"cut short in the header", kHeader.substr(0, 10), false},
        {"an escape cut short", kHeader + "12/08/26 /q 12081000.600 %4\n", false},
        {"a bad escape", kHeader + "12/08/26 /q 12081000.600 %zz\n", false},
        {"a raw control character",
         kHeader + "12/08/26 /q 12081000.600 a\x01"
                   "b\n",
         false},
        {"two spaces: an empty field", kHeader + "12/08/26 /q  12081000.600\n", false},
        {"CR LF line ends", kHeader + "12/08/26 /q 12081000.600\r\n", false},
        {"a day only", kHeader + "12/08/26\n12/08/26 /q 12081000.600\n", true},
        {"empty", "", false},
        {"binary", std::string("\0\xFF\n\n\0", 5), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToldReminders::parse(c.bytes, "12/08/26").told("/q", "12081000.600"), c.told) << c.what;
}

TEST(ToldReminders, AFileThatIsTooLargeNoFileOrAnotherUsersCountsAsNothingTold) {
    TempDir state;
    const std::string file = state / "reminders-told";
    const std::string line = kHeader + "12/08/26 /q 12081000.600\n";
    writeFile(file, line);
    EXPECT_TRUE(loadToldReminders(state.path(), "12/08/26").told("/q", "12081000.600"));
    writeFile(file, line + std::string(qb::store::kMaxToldRemindersBytes, '\n'));
    EXPECT_FALSE(loadToldReminders(state.path(), "12/08/26").told("/q", "12081000.600")) << "too large";
    ::unlink(file.c_str());
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_FALSE(loadToldReminders(state.path(), "12/08/26").told("/q", "12081000.600")) << "a pipe, no waiting";
    ::unlink(file.c_str());
    if (::geteuid() == 0) {
        writeFile(file, line);
        ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(loadToldReminders(state.path(), "12/08/26").told("/q", "12081000.600")) << "another user's";
    }
    EXPECT_FALSE(loadToldReminders(state / "missing", "12/08/26").told("/q", "12081000.600"));
}

TEST(ToldReminders, TheFolderIsMadePrivateAndTheFileWrittenSafely) {
    TempDir home;
    const std::string state = home / ".local/state/quillbox";
    ToldReminders told("12/08/26");
    told.add("/q", {"12081000.600"});
    ASSERT_TRUE(qb::store::storeToldReminders(state, told).ok());
    EXPECT_EQ(qb::test::readFile(state + "/reminders-told"), told.bytes());
    struct stat st {};
    ASSERT_EQ(::stat(state.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(qb::test::listFolder(state), std::vector<std::string>{"reminders-told"}) << "no temporary file left";
}

// Two runs that start together: the second waits for the first's turn and then sees what it told.
TEST(ToldReminders, RunsThatStartTogetherTakeTurns) {
    TempDir home;
    const std::string state = home / "state";
    int started[2];
    ASSERT_EQ(::pipe(started), 0);
    const pid_t first = ::fork();
    if (first == 0) {
        const qb::store::ToldRemindersTurn turn(state);
        (void)::write(started[1], "x", 1);
        ::usleep(300'000); // walking, notifying
        ToldReminders told("12/08/26");
        told.add("/q", {"12081000.600"});
        ::_exit(qb::store::storeToldReminders(state, told).ok() ? 0 : 1);
    }
    char byte = 0;
    ASSERT_EQ(::read(started[0], &byte, 1), 1);
    const qb::store::ToldRemindersTurn turn(state);
    EXPECT_TRUE(loadToldReminders(state, "12/08/26").told("/q", "12081000.600"));
    int status = 0;
    ::waitpid(first, &status, 0);
    EXPECT_EQ(status, 0);
}

} // namespace

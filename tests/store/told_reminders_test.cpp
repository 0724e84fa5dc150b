// The file that remembers which reminders `quillbox --remind` told today is input too: cut short, huge,
// hand-edited or planted, it counts as nothing told.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "child_process.h"
#include "store/told_reminders.h"
#include "temp_dir.h"

using namespace qb::store;

namespace {

const std::string kHeader = "quillbox reminders told, 1\n";

TEST(ToldReminders, WhatIsWrittenIsReadBackAndWhatIsNoLineOfTheFileCountsAsNothingTold) {
    ToldReminders told("12/08/26");
    told.add("/my notes/100%\x01\xE9", {"tab\tname", "12071000.sync-conflict-20261208-015355-66GBZUU.600"});
    const ToldReminders read = ToldReminders::parse(told.bytes(), "12/08/26");
    EXPECT_TRUE(read.told("/my notes/100%\x01\xE9", "tab\tname"));
    EXPECT_EQ(read.bytes(), told.bytes());
    EXPECT_EQ(ToldReminders::parse(told.bytes(), "12/09/26").bytes(), kHeader) << "a new day starts afresh";

    const struct {
        const char* what;
        std::string bytes;
        bool told; // whether 12081000.600 in /q counts as told
    } cases[] = {
        {"among other days and folders", kHeader + "12/07/26 /q x\n12/08/26 /r 1\n12/08/26 /q 12081000.600\n", true},
        {"no header", "12/08/26 /q 12081000.600\n", false},
        {"cut short in the line", kHeader + "12/08/26 /q 12081000.600", false},
        {"an escape cut short", kHeader + "12/08/26 /q 12081000.600 %4\n", false},
        {"a bad escape", kHeader + "12/08/26 /q 12081000.600 %zz\n", false},
        {"a raw control character", kHeader + "12/08/26 /q 12081000.600 a\x01\n", false},
        {"an empty field", kHeader + "12/08/26 /q  12081000.600\n", false},
        {"binary", std::string("\0\xFF\n\n\0", 5), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToldReminders::parse(c.bytes, "12/08/26").told("/q", "12081000.600"), c.told) << c.what;

    // Too many to list within the file's bound: the set is kept as a whole, which tells whether the records due are
    // the very set told.
    std::vector<std::string> many;
    many.reserve(90001);
    for (int i = 0; i < 90000; ++i)
        many.push_back(std::to_string(10000000 + i) + ".600");
    told.add("/q", many);
    const ToldReminders back = ToldReminders::parse(told.bytes(), "12/08/26");
    EXPECT_LE(told.bytes().size(), qb::store::kMaxToldListBytes + 200);
    EXPECT_TRUE(back.told("/my notes/100%\x01\xE9", "tab\tname") && back.toldAsAWhole("/q", many));
    many.push_back("12081000.601");
    EXPECT_FALSE(back.toldAsAWhole("/q", many)) << "one more due: all of them are told again";
}

// The file is private to its user, too large a one, a pipe or another user's file is not read, and two runs that
// start together take turns, the later one seeing what the earlier told, but not for ever, and under a lock that no
// other user can hold; another user's folder gives no turn.
TEST(ToldReminders, TheFileIsWrittenPrivatelyReadOnlyWhenItIsTheUsersAndTakenInTurns) {
    qb::test::TempDir home;
    const std::string state = home / "state", file = state + "/reminders-told";
    const auto toldNow = [&] { return loadToldReminders(state, "12/08/26").told("/q", "12081000.600"); };
    int started[2];
    ASSERT_EQ(::pipe(started), 0);
    const pid_t first = ::fork();
    if (first == 0) {
        const qb::store::ToldRemindersTurn turn(state);
        (void)::write(started[1], "x", 1);
        ::usleep(300'000); // walking and notifying meanwhile
        ToldReminders told("12/08/26");
        told.add("/q", {"12081000.600"});
        ::_exit(qb::store::storeToldReminders(state, told).ok() ? 0 : 1);
    }
    char byte = 0;
    ASSERT_EQ(::read(started[0], &byte, 1), 1);
    const auto turn = std::make_unique<qb::store::ToldRemindersTurn>(state);
    EXPECT_TRUE(turn->ok() && toldNow()) << "the second run did not wait for the first";
    int status = 1;
    ::waitpid(first, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(qb::test::modeOf(state) & 0777, 0700u);
    EXPECT_EQ(qb::test::listFolder(state), (std::vector<std::string>{".turn", "reminders-told"}));
    EXPECT_EQ(qb::test::modeOf(file) & 0777, 0600u);
    int toldWaiting = 0;
    const qb::store::TurnWait brief{std::chrono::milliseconds(20), std::chrono::milliseconds(300),
                                    [&] { ++toldWaiting; }};
    EXPECT_NE(qb::store::ToldRemindersTurn(state, brief).problem().find("has kept its turn for"), std::string::npos);
    EXPECT_EQ(toldWaiting, 1);

    qb::test::writeFile(file, qb::test::readFile(file) + std::string(qb::store::kMaxToldRemindersBytes, '\n'));
    EXPECT_FALSE(toldNow()) << "too large";
    ::unlink(file.c_str());
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_FALSE(toldNow()) << "a pipe, read without waiting";
    ::unlink(file.c_str());
    if (::geteuid() != 0)
        GTEST_SKIP() << "another user's file was not tried: only root can make one";
    qb::test::writeFile(file, kHeader + "12/08/26 /q 12081000.600\n");
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(toldNow()) << "another user's";
    ASSERT_EQ(::chmod(state.c_str(), 0755), 0);
    EXPECT_FALSE(qb::store::ToldRemindersTurn(state, brief).ok()) << "this process holds the turn";
    EXPECT_EQ(qb::test::modeOf(state) & 0777, 0700u) << "others may not enter it";
    qb::test::openToOthers(home.path());
    EXPECT_EQ(qb::test::runInChild([&] { return std::to_string(::open((state + "/.turn").c_str(), O_RDONLY) < 0); }),
              "1")
        << "another user opened the lock file";
    ASSERT_EQ(::chown(state.c_str(), 65534, 65534), 0);
    ::alarm(10); // this process holds the lock: another user's folder is refused before any wait
    EXPECT_NE(qb::store::ToldRemindersTurn(state).problem().find("belongs to another user"), std::string::npos);
    ::alarm(0);
}

} // namespace

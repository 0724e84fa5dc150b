#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "commands.h"
#include "injection.h"
#include "platform/drive_map.h"
#include "platform/files.h"
#include "settings_home.h"
#include "store/field_reader.h"
#include "store/settings.h"
#include "store/settings_leftovers.h"
#include "temp_dir.h"

using namespace qb::store;
using namespace qb::test;

namespace {

struct SettingsTest : ::testing::Test, qb::test::SettingsHome {};

} // namespace

TEST_F(SettingsTest, DefaultDirectoryIsStoredByteExactAndReadAsItsFirstValue) {
    EXPECT_FALSE(settings.defaultDirectory());
    ASSERT_TRUE(settings.setDefaultDirectory("c:\\notes").ok());
    EXPECT_EQ(readFile(driveC("default.dat")), "c:\\notes\r\n");
    EXPECT_EQ(*settings.defaultDirectory(), "c:\\notes");
    ASSERT_TRUE(settings.setDefaultDirectory("d:\\my notes").ok());
    EXPECT_EQ(readFile(driveC("default.dat")), "d:\\my notes\r\n");
    writeFile(driveC("DEFAULT.DAT"), "c:\\a,c:\\b\r\n"); // another spelling of the same file
    ::unlink(driveC("default.dat").c_str());
    EXPECT_EQ(*settings.defaultDirectory(), "c:\\a");
}

TEST_F(SettingsTest, EmptyOrUnreadableSettingsTakeTheirDefault) {
    for (const char* content : {"", "\r\n", "   \r\n"}) {
        writeFile(driveC("default.dat"), content);
        writeFile(driveC("@.dat"), content);
        EXPECT_FALSE(settings.defaultDirectory()) << content;
        EXPECT_FALSE(settings.password()) << content;
    }
    writeFile(driveC("default.dat"), std::string("c:\\bi\0nary\r\n", 12)); // binary: no directory at all
    EXPECT_FALSE(settings.defaultDirectory());
    writeFile(driveC("@.dat"), "007\r\n");
    EXPECT_EQ(*settings.password(), "7"); // a number is seen in its text form
}

TEST_F(SettingsTest, AlarmFlagIsAFileOfOneSpaceWhateverItsSpelling) {
    EXPECT_FALSE(settings.alarmFlag());
    ASSERT_TRUE(settings.storeAlarmFlag(true).ok());
    EXPECT_EQ(readFile(driveC("flag.dat")), " \r\n");
    EXPECT_TRUE(settings.alarmFlag());
    ASSERT_TRUE(settings.storeAlarmFlag(false).ok());
    EXPECT_FALSE(qb::platform::fileExists(driveC("flag.dat")));
    EXPECT_TRUE(settings.storeAlarmFlag(false).ok()); // nothing to delete
    writeFile(driveC("Flag.Dat"), "");                // any content, even none, turns the check on
    EXPECT_TRUE(settings.alarmFlag());
    ASSERT_TRUE(settings.storeAlarmFlag(false).ok());
    EXPECT_FALSE(qb::platform::fileExists(driveC("Flag.Dat")));
}

TEST_F(SettingsTest, PasswordFileIsPrivateAndDeletable) {
    ASSERT_TRUE(settings.setPassword("Secret").ok());
    EXPECT_EQ(readFile(driveC("@.dat")), "Secret\r\n");
    EXPECT_EQ(modeOf(driveC("@.dat")) & 0777, 0600u);
    EXPECT_EQ(*settings.password(), "Secret");
    ASSERT_TRUE(settings.deletePassword().ok());
    EXPECT_FALSE(settings.passwordFileExists());
    EXPECT_TRUE(settings.deletePassword().ok());
}

TEST_F(SettingsTest, DirectoryListsReadEveryValueInOrder) {
    writeFile(driveC("dirlist.dat"), "c:\\one\r\nc:\\two, c:\\three\r\n");
    EXPECT_EQ(settings.directoryList(settings_paths::kDirectoryList, ListOwner::Anyone),
              (std::vector<std::string>{"c:\\one", "c:\\two", "c:\\three"}));
    writeFile(work / "dirlist.dat", "");
    EXPECT_TRUE(settings.directoryList(settings_paths::kLocalDirectoryList, ListOwner::ThisUser).empty());
    writeFile(work / "dirlist.dat", "d:\\x");
    EXPECT_EQ(settings.directoryList(settings_paths::kLocalDirectoryList, ListOwner::ThisUser),
              std::vector<std::string>{"d:\\x"});
    EXPECT_TRUE(settings.directoryList("c:\\missing.dat", ListOwner::Anyone).empty());
}

TEST(PasswordProblem, RefusesExactlyThePasswordsThatDoNotReadBack) {
    const char* samples[] = {"secret",   "Enter your password here",
                             "a b",      " lead",
                             "trail ",   "   ",
                             "a,b",      "\"quoted",
                             "in\"side", "007",
                             "12",       "1e3",
                             "-5",       "+5",
                             "12.50",    "1.5",
                             "x1e3",     "caf\xE9",
                             "tab\t"};
    for (const char* sample : samples) {
        const std::string password = sample;
        FieldReader reader(password + "\r\n");
        const FieldRead read = reader.read();
        const bool readsBack = read.ok() && generalValue(*read.field) == password;
        EXPECT_EQ(!passwordProblem(password).has_value(), readsBack) << "[" << password << "]";
    }
}

TEST_F(SettingsTest, OnlyTheLeftoversOfSettingsWritesAreRemoved) {
    // What a crash between a settings file's temporary file and its rename leaves, in any letter case of its name.
    const std::vector<std::string> leftovers = {".default.dat.Ab12Cd", ".@.dat.zZ9yY8", ".FLAG.DAT.abcdef"};
    // Everything else stays: other lengths and letters, other files' temporary files, the settings, other folders.
    const std::vector<std::string> kept = {"default.dat",
                                           "@.dat",
                                           ".default.dat.Ab12C",
                                           ".default.dat.Ab12Cd7",
                                           ".@.dat.ab-12c",
                                           ".dirlist.dat.Ab12Cd",
                                           ".notes.txt.Ab12Cd",
                                           "x.default.dat.Ab12Cd",
                                           "quill/.default.dat.Ab12Cd"};
    for (const std::string& name : leftovers)
        writeFile(driveC(name), "old secret\r\n");
    for (const std::string& name : kept)
        writeFile(driveC(name), "kept\r\n");
    ASSERT_EQ(::mkdir(driveC(".flag.dat.Folder").c_str(), 0755), 0);
    removeSettingsLeftovers(drives);
    for (const std::string& name : leftovers)
        EXPECT_NE(::access(driveC(name).c_str(), F_OK), 0) << name;
    for (const std::string& name : kept)
        EXPECT_EQ(readFile(driveC(name)), "kept\r\n") << name;
    EXPECT_TRUE(S_ISDIR(modeOf(driveC(".flag.dat.Folder"))));
}

// A second copy of the program starting on the same home while the first one writes the password (held up for a
// while before its rename) removes no temporary file of that write: the password is set.
TEST_F(SettingsTest, ASecondCopyStartingDuringAPasswordWriteLeavesThatWriteAlone) {
    if (!qb::harness::installed("strace"))
        GTEST_SKIP() << "strace is not installed";
    const std::string trace = work / "trace";
    qb::harness::BackgroundProcess writer({"strace", "-f", "-qq", "-o", trace, "-e",
                                           "inject=renameat,renameat2:delay_enter=1500000", QUILLBOX_SAVE_TOOL,
                                           home.path(), "--password", "word"});
    const auto staged = [&] {
        for (const std::string& name : qb::test::listFolder(home / "drive_c"))
            if (name.starts_with(".@.dat."))
                return true;
        return false;
    };
    ASSERT_TRUE(qb::harness::waitUntil(staged)) << "the write did not start";
    removeSettingsLeftovers(drives);
    ASSERT_TRUE(qb::harness::waitUntil([&] { return !writer.running(); }));
    EXPECT_EQ(settings.password(), "word");
    EXPECT_TRUE(qb::test::injected(readFile(trace), "renameat2")) << "the rename was not held up";
}

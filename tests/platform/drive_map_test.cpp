#include <gtest/gtest.h>

#include "platform/drive_map.h"
#include "platform/files.h"
#include "temp_dir.h"

using namespace qb::platform;
using namespace qb::test;

namespace {

struct DriveMapTest : ::testing::Test {
    TempDir home;
    TempDir work;
    DriveMap drives{home.path(), work.path()};
};

} // namespace

// Drive letters and the leading backslash name drive folders; POSIX paths stand, relative ones are in the working
// folder; either separator, and ".." never leaves the drive.
TEST_F(DriveMapTest, DriveLettersPosixAndRelativePathsBothSeparatorsAndDotDot) {
    EXPECT_EQ(drives.resolve("c:\\quill\\a.dat"), home / "drive_c/quill/a.dat");
    EXPECT_EQ(drives.resolve("D:\\notes"), home / "drive_d/notes");
    EXPECT_EQ(drives.resolve("\\testdir"), home / "drive_c/testdir");
    EXPECT_EQ(drives.resolve("c:"), home / "drive_c");
    EXPECT_EQ(drives.resolve("c:quill"), home / "drive_c/quill");
    EXPECT_EQ(drives.resolve("/home/me/notes"), "/home/me/notes");
    EXPECT_EQ(drives.resolve("dirlist.dat"), work / "dirlist.dat");
    EXPECT_EQ(drives.resolve("sub\\x/y"), work / "sub/x/y");
    EXPECT_EQ(drives.resolve("c:/quill//x"), home / "drive_c/quill/x");
    EXPECT_EQ(drives.resolve(""), work.path());
    EXPECT_EQ(drives.resolve("c:\\..\\..\\etc"), home / "drive_c/etc");
    EXPECT_EQ(drives.resolve("c:\\a\\..\\b"), home / "drive_c/b");
}

TEST_F(DriveMapTest, EveryCaseVariantNamesTheOneExistingFile) {
    writeFile(home / "drive_c/Quill/flag.dat", " \r\n");
    for (const char* spelling : {"c:\\quill\\flag.dat", "C:\\QUILL\\FLAG.DAT", "c:\\Quill\\Flag.Dat"})
        EXPECT_EQ(drives.resolve(spelling), home / "drive_c/Quill/flag.dat") << spelling;
}

TEST_F(DriveMapTest, ExactSpellingWinsAndMissingComponentsKeepTheirSpelling) {
    writeFile(home / "drive_c/quill/x", "");
    writeFile(home / "drive_c/QUILL/x", "");
    EXPECT_EQ(drives.resolve("c:\\QUILL\\x"), home / "drive_c/QUILL/x");
    EXPECT_EQ(drives.resolve("c:\\Quill\\x"), home / "drive_c/QUILL/x"); // several match: the first by name
    EXPECT_EQ(drives.resolve("c:\\Missing\\Deeper\\File"), home / "drive_c/Missing/Deeper/File");
}

TEST_F(DriveMapTest, AccentedNamesAreStoredAsUtf8AndMatchedWithoutCase) {
    writeFile(home / "drive_c/caf\u00E9/x", "");
    EXPECT_EQ(drives.resolve("c:\\CAF\xC9\\x"), home / "drive_c/caf\u00E9/x");
}

TEST_F(DriveMapTest, DriveCIsCreatedWhenMissing) {
    const DriveMap fresh(home / "new/home", work.path());
    EXPECT_TRUE(fresh.ensureDriveC());
    EXPECT_TRUE(directoryExists(home / "new/home/drive_c"));
}

TEST(SplitLastComponent, SeparatesFolderAndName) {
    EXPECT_EQ(splitLastComponent("c:\\quill\\*.*"), std::make_pair(std::string("c:\\quill"), std::string("*.*")));
    EXPECT_EQ(splitLastComponent("\\*.*"), std::make_pair(std::string("\\"), std::string("*.*")));
    EXPECT_EQ(splitLastComponent("c:x*"), std::make_pair(std::string("c:"), std::string("x*")));
    EXPECT_EQ(splitLastComponent("x*"), std::make_pair(std::string(""), std::string("x*")));
}

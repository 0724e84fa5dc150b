#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

#include "platform/files.h"
#include "platform/safe_write.h"
#include "temp_dir.h"

using namespace qb::platform;
using namespace qb::test;

TEST(SafeWrite, ReplacesWholeAndLeavesNoTemporaryFile) {
    TempDir dir;
    writeFile(dir / "r", "old content");
    ASSERT_TRUE(writeFileAtomically(dir / "r", "new", WriteMode::Replace).ok());
    EXPECT_EQ(readFile(dir / "r"), "new");
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"r"});
}

TEST(SafeWrite, CreateNewNeverReplacesAnExistingFile) {
    TempDir dir;
    writeFile(dir / "r", "old");
    const Status status = writeFileAtomically(dir / "r", "new", WriteMode::CreateNew);
    EXPECT_EQ(status.error, EEXIST);
    EXPECT_EQ(readFile(dir / "r"), "old");
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"r"});
    EXPECT_TRUE(writeFileAtomically(dir / "s", "fresh", WriteMode::CreateNew).ok());
    EXPECT_EQ(readFile(dir / "s"), "fresh");
}

TEST(SafeWrite, MissingFolderFailsCleanly) {
    TempDir dir;
    const Status status = writeFileAtomically(dir / "absent/r", "x", WriteMode::Replace);
    EXPECT_EQ(status.error, ENOENT);
    EXPECT_FALSE(status.describe().empty());
}

TEST(SafeWrite, OwnerOnlyFilesAreNotReadableByOthers) {
    TempDir dir;
    ASSERT_TRUE(writeFileAtomically(dir / "secret", "pw\r\n", WriteMode::Replace, FileAccess::OwnerOnly).ok());
    EXPECT_EQ(modeOf(dir / "secret") & 0777, 0600u);
}

TEST(Files, ExistenceTestSeesOnlyVisibleOrdinaryFiles) {
    TempDir dir;
    writeFile(dir / "f", "");
    writeFile(dir / ".h", "");
    ASSERT_TRUE(makeDirectory(dir / "d").ok());
    EXPECT_TRUE(fileExists(dir / "f"));
    EXPECT_FALSE(fileExists(dir / ".h"));
    EXPECT_FALSE(fileExists(dir / "d"));
    EXPECT_FALSE(fileExists(dir / "none"));
    EXPECT_TRUE(removeFile(dir / "f").ok());
    EXPECT_FALSE(removeFile(dir / "f").ok());
}

TEST(Files, ReadWholeFileRefusesOversizedFiles) {
    TempDir dir;
    writeFile(dir / "big", std::string(100, 'x'));
    std::string bytes;
    EXPECT_EQ(readWholeFile(dir / "big", bytes, 99).error, EFBIG);
    EXPECT_TRUE(readWholeFile(dir / "big", bytes, 100).ok());
    EXPECT_EQ(bytes.size(), 100u);
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(readWholeFile(dir / "pipe", bytes, 100).error, EINVAL) << "a pipe with no writer must not block";
    EXPECT_EQ(readWholeFile(dir.path(), bytes, 100).error, EINVAL);
}

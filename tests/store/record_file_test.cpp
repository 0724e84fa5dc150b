#include <gtest/gtest.h>

#include "platform/files.h"
#include "store/record_file.h"
#include "temp_dir.h"

using namespace qb::store;
using qb::platform::LocalDateTime;
using namespace qb::test;

TEST(RecordNumber, EncodesTheCreationMomentZeroPadded) {
    EXPECT_EQ(recordNumber({2026, 12, 6, 14, 3, 59}), "12061403.659");
    EXPECT_EQ(recordNumber({2027, 1, 3, 9, 5, 7}), "01030905.707");
    EXPECT_EQ(recordNumber({2030, 10, 31, 23, 59, 0}), "10312359.000");
}

TEST(RecordFile, BytesAreTwoQuotedLinesWithCrLf) {
    EXPECT_EQ(recordFileBytes({"12/25/26", "Buy tickets\r\nfor the show"}),
              "\"12/25/26\"\r\n\"Buy tickets\r\nfor the show\"\r\n");
    EXPECT_EQ(recordFileBytes({"", " "}), "\"\"\r\n\" \"\r\n");
}

TEST(RecordFile, WrittenRecordsReadBackIdentical) {
    TempDir dir;
    FieldReader reader;
    for (const Record& record : {Record{"", "a, b,\r\nc  \r\n  d  "}, Record{"12/25/26", "007"}, Record{"", "\r\n"},
                                 Record{"ab/cd/ef", "caf\xE9 \x80"}}) {
        ASSERT_TRUE(rewriteRecordFile(dir.path(), recallRecordFile(dir.path(), "r", {}), record).ok());
        const ReadResult read = readRecordFile(reader, dir / "r");
        ASSERT_TRUE(read.ok());
        EXPECT_EQ(read.record, record);
    }
}

TEST(RecordFile, FilesThatAreNotRecordsAreTold) {
    TempDir dir;
    FieldReader reader;
    writeFile(dir / "one", "\"only one field\"\r\n");
    writeFile(dir / "empty", "");
    EXPECT_EQ(readRecordFile(reader, dir / "one").kind, ReadResult::Kind::NotARecord);
    EXPECT_EQ(readRecordFile(reader, dir / "empty").kind, ReadResult::Kind::NotARecord);
    EXPECT_EQ(readRecordFile(reader, dir / "missing").kind, ReadResult::Kind::CannotOpen);
    writeFile(dir / "plain", "12,34\r\n");
    const ReadResult plain = readRecordFile(reader, dir / "plain");
    ASSERT_TRUE(plain.ok());
    EXPECT_EQ(plain.record, (Record{"12", "34"}));
}

TEST(NewRecordFile, TakesTheNextFreeSecondInsteadOfReplacing) {
    TempDir dir;
    const LocalDateTime moment{2026, 12, 31, 23, 59, 59};
    writeFile(dir / "12312359.659", "someone else's");
    const SaveResult first = writeNewRecordFile(dir.path(), moment, {"", "first"});
    ASSERT_TRUE(first.status.ok());
    EXPECT_EQ(first.number, "01010000.700"); // the next second is in the next year
    const SaveResult second = writeNewRecordFile(dir.path(), moment, {"", "second"});
    EXPECT_EQ(second.number, "01010000.701");
    EXPECT_EQ(readFile(dir / "12312359.659"), "someone else's");
    EXPECT_EQ(readFile(dir / "01010000.701"), "\"\"\r\n\"second\"\r\n");
    const SaveResult none = writeNewRecordFile(dir.path(), moment, {"", "third"}, 3);
    EXPECT_NE(none.status.describe().find("the 3 numbers tried from 12312359.659 on are all taken"), std::string::npos)
        << none.status.describe();
    EXPECT_EQ(listFolder(dir.path()).size(), 3u);
}

TEST(NewRecordFile, MissingFolderFailsWithoutWriting) {
    TempDir dir;
    const SaveResult write = writeNewRecordFile(dir / "absent", {2026, 12, 6, 14, 3, 59}, {"", "x"});
    EXPECT_FALSE(write.status.ok());
    EXPECT_FALSE(qb::platform::directoryExists(dir / "absent"));
}

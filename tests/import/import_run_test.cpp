#include <gtest/gtest.h>

#include <filesystem>

#include "import/import_run.h"
#include "import/import_text.h"
#include "manual_clock.h"
#include "store/record_file.h"
#include "temp_dir.h"

using namespace qb;
using import::ImportProblem;
using import::ImportResult;

namespace {

const std::string kSmithJones = "\"Smith\",\"12 Oak St\"\r\n\"Jones\",\"4 Elm Rd\"\r\n";

// UTF-16 with its byte-order mark, as spreadsheets save "Unicode text".
std::string utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

class ImportRun : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory(folder); }

    ImportResult run(std::string_view content, int fields) {
        test::writeFile(source, content);
        return import::importRecords(source, fields, folder, clock);
    }
    std::string record(const std::string& number) { return test::readFile(folder + "/" + number); }
    std::string textOf(const std::string& number) {
        store::FieldReader reader;
        const store::ReadResult read = store::readRecordFile(reader, folder + "/" + number);
        EXPECT_TRUE(read.ok()) << number;
        EXPECT_EQ(read.record.reminderDate, "") << number;
        return read.record.text;
    }
    /** The texts of the records an import made, in its order. */
    std::vector<std::string> texts(const ImportResult& result) {
        std::vector<std::string> all;
        for (const std::string& number : result.numbers)
            all.push_back(textOf(number));
        return all;
    }

    test::TempDir dir;
    std::string source = dir / "import.txt";
    std::string folder = dir / "records";
    test::ManualClock clock; // starts at 6 December 2026, 14:03:59
};

} // namespace

TEST_F(ImportRun, TwoFieldsARecordMakesOneRecordALineTwoSecondsApart) {
    const ImportResult result = run(kSmithJones, 2);
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(result.numbers, (std::vector<std::string>{"12061403.659", "12061404.601"}));
    EXPECT_EQ(record("12061403.659"), "\"\"\r\n\"Smith\r\n12 Oak St\r\n\"\r\n");
    EXPECT_EQ(record("12061404.601"), "\"\"\r\n\"Jones\r\n4 Elm Rd\r\n\"\r\n");
    EXPECT_EQ(test::listFolder(folder), result.numbers); // no temporary file is left behind
    EXPECT_EQ(clock.waits(), 2);                         // every record waits, the last one too
}

TEST_F(ImportRun, OneFieldARecordMakesOneRecordAField) {
    const ImportResult result = run(kSmithJones, 1);
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(texts(result), (std::vector<std::string>{"Smith\r\n", "12 Oak St\r\n", "Jones\r\n", "4 Elm Rd\r\n"}));
    EXPECT_EQ(result.numbers[3], "12061404.605");
}

TEST_F(ImportRun, RecordsThatRunOutOfFieldsEndOnTheProblemAndKeepTheFinishedOnes) {
    ImportResult result = run(kSmithJones, 3);
    EXPECT_EQ(result.problem, ImportProblem::ShortRecord);
    EXPECT_EQ(texts(result), std::vector<std::string>{"Smith\r\n12 Oak St\r\nJones\r\n"});
    EXPECT_EQ(test::listFolder(folder), result.numbers);

    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    result = run("a,b,c,d,e,f,g\r\n", 3);
    EXPECT_EQ(result.problem, ImportProblem::ShortRecord);
    EXPECT_EQ(texts(result), (std::vector<std::string>{"a\r\nb\r\nc\r\n", "d\r\ne\r\nf\r\n"}));
    EXPECT_EQ(test::listFolder(folder), result.numbers);
}

TEST_F(ImportRun, AnEmptyFileIsAProblemWithoutRecords) {
    const ImportResult result = run("", 1);
    EXPECT_EQ(result.problem, ImportProblem::ShortRecord);
    EXPECT_TRUE(result.numbers.empty());
    EXPECT_TRUE(test::listFolder(folder).empty());
}

TEST_F(ImportRun, AnEmptyLineAfterTheLastRecordIsOneMoreEmptyField) {
    ImportResult result = run(kSmithJones + "\r\n", 1);
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(result.numbers.size(), 5u);
    EXPECT_EQ(textOf(result.numbers[4]), "\r\n");
    EXPECT_EQ(record(result.numbers[4]), "\"\"\r\n\"\r\n\"\r\n");

    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    result = run(kSmithJones + "\r\n", 2);
    EXPECT_EQ(result.problem, ImportProblem::ShortRecord);
    EXPECT_EQ(result.numbers.size(), 2u);
    EXPECT_EQ(test::listFolder(folder).size(), 2u);
}

TEST_F(ImportRun, KeepsQuotedCommasAndLineBreaksAndNumbersAsWritten) {
    const ImportResult result = run("\"Oak, Elm\r\nand Ash\",0012.50,  1E3  \r\n", 3);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(texts(result), std::vector<std::string>{"Oak, Elm\r\nand Ash\r\n0012.50\r\n1E3\r\n"});
}

TEST_F(ImportRun, ADoubleQuoteInAPlainFieldBecomesASingleQuote) {
    const ImportResult result = run("He is 6' 2\" tall,\"next\"\r\n", 2);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(record(result.numbers[0]), "\"\"\r\n\"He is 6' 2' tall\r\nnext\r\n\"\r\n");
    EXPECT_EQ(textOf(result.numbers[0]), "He is 6' 2' tall\r\nnext\r\n");
}

TEST_F(ImportRun, AMissingTargetFolderWritesNothing) {
    std::filesystem::remove(folder);
    const ImportResult result = run(kSmithJones, 2);
    EXPECT_EQ(result.problem, ImportProblem::CannotWrite);
    EXPECT_EQ(result.status.error, ENOENT);
    EXPECT_TRUE(result.numbers.empty());
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_EQ(clock.waits(), 0);
}

TEST_F(ImportRun, AMissingImportFileIsAProblem) {
    const ImportResult result = import::importRecords(dir / "absent.txt", 1, folder, clock);
    EXPECT_EQ(result.problem, ImportProblem::CannotRead);
    EXPECT_EQ(result.status.error, ENOENT);
}

TEST_F(ImportRun, ATakenNumberIsNeverReplacedAndTheNextRecordStaysTwoSecondsLater) {
    test::writeFile(folder + "/12061403.659", "kept");
    const ImportResult result = run(kSmithJones, 2);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(record("12061403.659"), "kept");
    EXPECT_EQ(result.numbers, (std::vector<std::string>{"12061404.600", "12061404.602"}));
}

TEST_F(ImportRun, TooLongARecordIsAProblemBeforeItIsWritten) {
    const std::string field(import::kMaxImportedRecordBytes / 2, 'x');
    const ImportResult result = run("short\r\n" + field + "," + field + "\r\n", 1 + 2);
    EXPECT_EQ(result.problem, ImportProblem::RecordTooLong);
    EXPECT_TRUE(test::listFolder(folder).empty());
}

TEST_F(ImportRun, TooLargeAFileIsAProblem) {
    test::writeFile(source, "a");
    std::filesystem::resize_file(source, import::kMaxImportFileBytes + 1);
    const ImportResult result = import::importRecords(source, 1, folder, clock);
    EXPECT_EQ(result.problem, ImportProblem::FileTooLarge);
    EXPECT_TRUE(test::listFolder(folder).empty());
}

TEST_F(ImportRun, Utf8TextIsStoredInWindows1252) {
    const ImportResult result = run("\xEF\xBB\xBF\"caf\xC3\xA9\",M\xC3\xBCller,5 \xE2\x82\xAC\r\n", 3);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(textOf(result.numbers[0]), "caf\xE9\r\nM\xFCller\r\n5 \x80\r\n");
}

TEST_F(ImportRun, ACharacterWindows1252CannotHoldStopsTheImportBeforeAnyRecord) {
    const ImportResult result = run("one\r\ntwo\r\ndone \xE2\x9C\x93\r\n", 1);
    EXPECT_EQ(result.problem, ImportProblem::Unmappable);
    EXPECT_EQ(result.unmappable, U'\u2713');
    EXPECT_TRUE(test::listFolder(folder).empty());
}

TEST_F(ImportRun, DoubledQuotesInAQuotedCellStandForOneQuoteKeptAsASingleQuote) {
    ImportResult result = run("\"a \"\"b, c\"\" d\",\"e\"\r\n\"f\",\"g\"\r\n", 2);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(texts(result), (std::vector<std::string>{"a 'b, c' d\r\ne\r\n", "f\r\ng\r\n"}));

    // An empty quoted cell, a cell of one quote, quotes at both ends of a cell; a plain field keeps each quote.
    result = run("\"\",\"\"\"\",\"\"\"x\"\"\",a\"\"b\r\n", 4);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(texts(result), std::vector<std::string>{"\r\n'\r\n'x'\r\na''b\r\n"});
}

TEST_F(ImportRun, Utf16WithAByteOrderMarkIsStoredInWindows1252) {
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian);
        const ImportResult result =
            run(utf16(u"\"caf\u00e9\",M\u00fcller\r\n5 \u20ac,\"a \"\"q\"\"\"\r\n", bigEndian), 2);
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(texts(result), (std::vector<std::string>{"caf\xE9\r\nM\xFCller\r\n", "5 \x80\r\na 'q'\r\n"}));
    }
}

TEST_F(ImportRun, NulBytesAreImportedAsTheyStand) {
    const ImportResult result = run(std::string("one\r\ntwo\r\nth\0ree\r\n", 17), 1);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(texts(result), (std::vector<std::string>{"one\r\n", "two\r\n", std::string("th\0ree\r\n", 8)}));
}

TEST(ImportText, KeepsNulBytesRefusesBrokenUtf16AndNamesWhatWindows1252CannotHold) {
    using import::decodeImportFile;
    EXPECT_EQ(decodeImportFile(std::string("\xE2\x9C\x93\0", 4)).problem, ImportProblem::Unmappable); // UTF-8 ✓
    EXPECT_EQ(decodeImportFile(std::string("o\0n\0e\0", 6)).bytes, std::string("o\0n\0e\0", 6)); // UTF-16 with no mark
    EXPECT_EQ(decodeImportFile(utf16(std::u16string_view(u"a\0b", 3), false)).bytes, std::string("a\0b", 3));
    EXPECT_EQ(decodeImportFile(utf16(u"ab", false) + "c").problem, ImportProblem::BadUtf16);   // half a unit
    EXPECT_EQ(decodeImportFile(utf16(u"a\xDC00", true)).problem, ImportProblem::BadUtf16);     // a lone low half
    EXPECT_EQ(decodeImportFile(utf16(u"\xD83D\x61", false)).problem, ImportProblem::BadUtf16); // a high half alone
    EXPECT_EQ(decodeImportFile(utf16(u"a\xD83D", true)).problem, ImportProblem::BadUtf16);     // ... at the end
    const import::ImportText pair = decodeImportFile(utf16(u"ok \U0001F600", false));
    EXPECT_EQ(pair.problem, ImportProblem::Unmappable);
    EXPECT_TRUE(pair.unmappable == U'\U0001F600');
    EXPECT_TRUE(decodeImportFile(utf16(u"", true)).ok());
}

TEST(ImportText, ChoosesUtf8OnlyForValidUtf8BeyondAscii) {
    using import::decodeImportFile;
    const std::string mark = "\xEF\xBB\xBF";
    EXPECT_EQ(decodeImportFile(mark + "a,b").bytes, "a,b");                      // the mark goes, ASCII stays
    EXPECT_EQ(decodeImportFile("caf\xC3\xA9").bytes, "caf\xE9");                 // UTF-8 without a mark
    EXPECT_EQ(decodeImportFile("caf\xE9, na\xEFve").bytes, "caf\xE9, na\xEFve"); // not UTF-8: the bytes as they are
    EXPECT_EQ(decodeImportFile(mark + "caf\xE9").bytes, mark + "caf\xE9");
    EXPECT_EQ(decodeImportFile("\x80 5").bytes, "\x80 5"); // a lone Windows-1252 euro sign
    EXPECT_TRUE(decodeImportFile("\xF0\x9F\x98\x80").unmappable == U'\U0001F600');
}

TEST(ImportRunRealClock, RecordNumbersAreTwoSecondsApart) {
    test::TempDir dir;
    test::writeFile(dir / "import.txt", kSmithJones);
    platform::SystemClock clock;
    const platform::LocalDateTime start = clock.now();
    const ImportResult result = import::importRecords(dir / "import.txt", 2, dir.path(), clock);
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(result.numbers.size(), 2u);
    // The seconds after the start at which each number was made.
    std::vector<int> offsets;
    for (const std::string& number : result.numbers) {
        int offset = 0;
        while (offset < 60 && store::recordNumber(platform::addSeconds(start, offset)) != number)
            ++offset;
        offsets.push_back(offset);
    }
    EXPECT_LT(offsets[1], 60);
    EXPECT_GE(offsets[1] - offsets[0], 2);
}

// The total of the progress window counts the records the import makes before it runs out of fields, and the time
// left is said in the largest units that fit.
TEST(ImportProgress, CountsWholeRecordsAndSaysTheTimeLeft) {
    EXPECT_EQ(import::wholeRecords(kSmithJones, 2), 2u);
    EXPECT_EQ(import::wholeRecords(kSmithJones, 3), 1u) << "a short last record is not counted";
    EXPECT_EQ(import::wholeRecords(kSmithJones + "\r\n", 1), 5u) << "an empty last line is one more field";
    EXPECT_EQ(import::wholeRecords("\"a \"\"b, c\"\" d\",\"e\"\r\n", 2), 1u);
    EXPECT_EQ(import::wholeRecords("", 1), 0u);

    EXPECT_EQ(import::progressText(1, 1), "Record 1 of 1 - about 2 seconds left");
    EXPECT_EQ(import::progressText(37, 500), "Record 37 of 500 - about 15 minutes left");
    EXPECT_EQ(import::progressText(470, 500), "Record 470 of 500 - about 1 minute left");
    EXPECT_EQ(import::progressText(1, 5000), "Record 1 of 5000 - about 2 hours 47 minutes left");
    EXPECT_EQ(import::progressText(1, 1800), "Record 1 of 1800 - about 1 hour left");
}

// Imports of files as other programs write them, read back record by record.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "import/import_run.h"
#include "manual_clock.h"
#include "platform/cp1252.h"
#include "store/record_file.h"
#include "temp_dir.h"

using namespace qb;

namespace {

// The texts of the records with the given numbers, in that order.
std::vector<std::string> recordTexts(const std::string& folder, const std::vector<std::string>& numbers) {
    std::vector<std::string> texts;
    store::FieldReader reader;
    for (const std::string& number : numbers) {
        const store::ReadResult read = store::readRecordFile(reader, folder + "/" + number);
        EXPECT_TRUE(read.ok()) << number;
        texts.push_back(read.record.text);
    }
    return texts;
}

std::string cp1252(const std::string& utf8) {
    return platform::utf8ToCp1252(utf8).bytes;
}

} // namespace

TEST(RealFiles, SpreadsheetCsvWithMarkAndLineBreaksInCells) {
    const std::string csv = std::string(QUILLBOX_TEST_DATA) + "/spreadsheet_contacts.csv";
    test::TempDir dir;
    test::ManualClock clock;
    const import::ImportResult result = import::importRecords(csv, 4, dir.path(), clock);
    ASSERT_TRUE(result.ok()) << static_cast<int>(result.problem);
    const std::vector<std::string> expected = {
        "Name\r\nStreet\r\nCity\r\nNote\r\n",
        cp1252("Zoë Müller\r\nHauptstraße 5\nHinterhaus\r\nKöln\r\nPaid € 12.50\r\n"),
        cp1252("Dupont, René\r\n12 rue de l'Église\n2e étage\r\nParis\r\n0012.50\r\n"),
        "Smith\r\n12 Oak St\r\nSpringfield\r\nCall before 9, not after\r\n",
    };
    EXPECT_EQ(recordTexts(dir.path(), result.numbers), expected);
    EXPECT_EQ(test::listFolder(dir.path()).size(), expected.size());
}

TEST(RealFiles, DebianReleaseListFieldByField) {
    const std::string csv = "/usr/share/distro-info/debian.csv";
    if (!std::filesystem::exists(csv))
        GTEST_SKIP() << csv << " is missing: install the Debian package distro-info-data";

    // The fields as plain comma splitting sees them: the file has no quotes, and each line ends in LF.
    std::vector<std::string> fields;
    std::istringstream lines(test::readFile(csv));
    for (std::string line; std::getline(lines, line);) {
        std::size_t start = 0;
        for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
            fields.push_back(line.substr(start, comma - start));
        fields.push_back(line.substr(start));
    }
    ASSERT_GT(fields.size(), 100u);

    for (const int perRecord : {1, 3}) {
        SCOPED_TRACE(perRecord);
        test::TempDir dir;
        test::ManualClock clock;
        const import::ImportResult result = import::importRecords(csv, perRecord, dir.path(), clock);
        const std::size_t whole = fields.size() / static_cast<std::size_t>(perRecord);
        EXPECT_EQ(result.ok(), fields.size() % static_cast<std::size_t>(perRecord) == 0);
        ASSERT_EQ(result.numbers.size(), whole);
        const std::vector<std::string> texts = recordTexts(dir.path(), result.numbers);
        for (std::size_t r = 0; r < whole; ++r) {
            std::string expected;
            for (int f = 0; f < perRecord; ++f)
                expected += fields[r * static_cast<std::size_t>(perRecord) + static_cast<std::size_t>(f)] + "\r\n";
            EXPECT_EQ(texts[r], expected) << "record " << r;
        }
    }
}

#include <gtest/gtest.h>

#include "store/field_reader.h"
#include "temp_dir.h"

using namespace qb::store;

namespace {

// All fields of some bytes as a field read gives them, "!" marking the failure that ended the reading.
std::vector<std::string> readAll(const std::string& bytes) {
    FieldReader reader(bytes);
    std::vector<std::string> fields;
    while (!reader.atEnd()) {
        FieldRead read = reader.read();
        if (!read.ok()) {
            fields.push_back("!");
            break;
        }
        fields.push_back((read.field->quoted ? "q:" : "p:") + read.field->text);
    }
    return fields;
}

using Fields = std::vector<std::string>;

} // namespace

// Quoted fields keep commas and line breaks; plain ones lose their leading and trailing spaces; a lone CR or LF ends a
// line as CR LF does.
TEST(FieldRead, QuotedFieldsKeepCommasAndLineBreaksPlainOnesAreTrimmed) {
    EXPECT_EQ(readAll("\"a, b\r\nc\"\r\n\"\"\r\n"), (Fields{"q:a, b\r\nc", "q:"}));
    EXPECT_EQ(readAll("\"x\" trailing junk,next\r\n"), (Fields{"q:x", "p:next"}));
    EXPECT_EQ(readAll("\"unterminated"), (Fields{"q:unterminated"}));
    EXPECT_EQ(readAll("  c:\\quill  ,12\r\n"), (Fields{"p:c:\\quill", "p:12"}));
    EXPECT_EQ(readAll("a,,b\r\n"), (Fields{"p:a", "p:", "p:b"}));
    EXPECT_EQ(readAll("\r\n"), (Fields{"p:"}));
    EXPECT_EQ(readAll("tab\there\r\n"), (Fields{"p:tab\there"}));
    EXPECT_EQ(readAll("a\nb\rc\r\n"), (Fields{"p:a", "p:b", "p:c"}));
    EXPECT_EQ(readAll("\"q\"\nnext"), (Fields{"q:q", "p:next"}));
}

TEST(FieldRead, ReadingPastTheEndFails) {
    FieldReader reader(std::string("only\r\n"));
    EXPECT_TRUE(reader.read().ok());
    EXPECT_TRUE(reader.atEnd());
    const FieldRead past = reader.read();
    EXPECT_FALSE(past.ok());
    EXPECT_EQ(past.failure, ReadFailure::PastEnd);
    EXPECT_FALSE(FieldReader(std::string()).read().ok());
}

TEST(FieldRead, AFieldLongerThanTheLimitIsRefused) {
    const std::string huge = "\"" + std::string(kMaxFieldBytes + 1, 'x') + "\"";
    FieldReader reader(huge);
    EXPECT_EQ(reader.read().failure, ReadFailure::TooLong);
    FieldReader fits("\"" + std::string(kMaxFieldBytes, 'x') + "\"");
    EXPECT_TRUE(fits.read().ok());
}

TEST(FieldRead, SpacesBeforeAndBytesAfterAClosingQuoteCountTowardTheLimit) {
    const std::size_t limit = kMaxFieldBytes;
    const struct {
        std::string bytes;
        bool ok;
    } cases[] = {
        {std::string(limit - 1, ' ') + "x", true},
        {std::string(limit, ' ') + "x", false},
        {std::string(limit + 1, ' '), false},
        {"\"\"" + std::string(limit, '\0') + "\r\n", true},
        {"\"\"" + std::string(limit + 1, '\0') + "\r\n", false},
        {"  \"ab\"" + std::string(limit - 4, 'z') + ",next", true},
        {"  \"ab\"" + std::string(limit - 3, 'z') + ",next", false},
        {"x" + std::string(limit - 1, ' ') + "\r\n", true},
        {"x" + std::string(limit, ' ') + "\r\n", false}, // trailing spaces were read too, though they go
    };
    for (const auto& c : cases) {
        // whole in memory, and in pieces as a file is read
        for (const std::size_t chunk : {std::size_t{0}, std::size_t{4093}}) {
            FieldReader reader =
                chunk == 0 ? FieldReader(c.bytes) : FieldReader(c.bytes, QuoteRule::NextQuoteEnds, chunk);
            const FieldRead read = reader.read();
            EXPECT_STREQ(read.ok()                              ? "read"
                         : read.failure == ReadFailure::TooLong ? "too long"
                                                                : "other failure",
                         c.ok ? "read" : "too long")
                << c.bytes.size() << " bytes, chunk " << chunk;
        }
    }
}

TEST(FieldRead, ReadsFromFilesAcrossBufferBoundaries) {
    qb::test::TempDir dir;
    const std::string text = std::string(40000, 'a') + "\r\n" + std::string(30000, 'b');
    qb::test::writeFile(dir / "r", "\"12/25/26\"\r\n\"" + text + "\"\r\n");
    FieldReader reader;
    ASSERT_EQ(reader.open(dir / "r"), 0);
    EXPECT_EQ(reader.read().field->text, "12/25/26");
    EXPECT_EQ(reader.read().field->text, text);
    EXPECT_TRUE(reader.atEnd());
    EXPECT_NE(reader.open(dir / "missing"), 0);
}

TEST(GeneralValue, PlainNumbersBecomeTheirTextForm) {
    EXPECT_EQ(generalValue({"12", false}), "12");
    EXPECT_EQ(generalValue({"007", false}), "7");
    EXPECT_EQ(generalValue({"0012.50", false}), "12.5");
    EXPECT_EQ(generalValue({"-0", false}), "0");
    EXPECT_EQ(generalValue({"+5", false}), "5");
    EXPECT_EQ(generalValue({".5", false}), "0.5");
    EXPECT_EQ(generalValue({"1e3", false}), "1000");
    EXPECT_EQ(generalValue({"1D2", false}), "100");
    EXPECT_EQ(generalValue({"1e20", false}), "1E+20");
    EXPECT_EQ(generalValue({"12345678901234567890", false}), "1.23456789012346E+19");
}

TEST(GeneralValue, QuotedFieldsAndOtherTextStayAsTheyAre) {
    EXPECT_EQ(generalValue({"007", true}), "007");
    for (const char* text : {"c:\\quill", "12/25/26", "1e", "1.2.3", "--1", "", ".", "5x", "1e400", "0x10"})
        EXPECT_EQ(generalValue({text, false}), text) << text;
}

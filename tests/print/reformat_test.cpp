#include <gtest/gtest.h>

#include "print/reformat.h"

using qb::print::reformatText;

namespace {

std::string twentyWords() {
    std::string line;
    for (int i = 0; i < 20; ++i)
        line += "abcd ";
    return line; // 100 characters
}

} // namespace

TEST(Reformat, BreaksAfterTheFirstSpacePastColumn65) {
    const std::string line = twentyWords();
    const std::string once = reformatText(line);
    EXPECT_EQ(once, line.substr(0, 70) + "\r\n" + line.substr(70));
    EXPECT_EQ(once.size(), 102u);
}

TEST(Reformat, AnExistingBreakCountsTwoSoTheNextLineBreaksEarlier) {
    const std::string text = "Title\r\n" + twentyWords();
    EXPECT_EQ(reformatText(text), "Title\r\n" + twentyWords().substr(0, 65) + "\r\n" + twentyWords().substr(65));
}

TEST(Reformat, IsNotIdempotent) {
    const std::string once = reformatText(twentyWords());
    EXPECT_EQ(reformatText(once), twentyWords().substr(0, 70) + "\r\n\r\n" + twentyWords().substr(70));
}

TEST(Reformat, NeverSplitsAWordAndKeepsEveryCharacter) {
    const std::string word(200, 'x');
    EXPECT_EQ(reformatText(word), word);
    const std::string text =
        std::string(70, 'y') + " z\tq-" + std::string(80, 'w') + " end\n" + std::string(70, 'v') + " ";
    const std::string result = reformatText(text);
    std::string withoutAdded = result;
    for (std::size_t at; (at = withoutAdded.find(" \r\n")) != std::string::npos;)
        withoutAdded.erase(at + 1, 2);
    EXPECT_EQ(withoutAdded, text);
    // a lone line feed does not reset the counter, so the last space breaks too
    EXPECT_EQ(result.substr(result.size() - 3), " \r\n");
}

TEST(Reformat, EmptyTextStaysEmpty) {
    EXPECT_EQ(reformatText(std::string()), "");
}

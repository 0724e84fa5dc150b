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

// An existing break counts two, so the next line breaks earlier; a reformat of a reformat breaks again.
TEST(Reformat, BreaksAfterTheFirstSpacePastColumn65AndIsNotIdempotent) {
    const std::string line = twentyWords();
    for (const auto& [text, reformatted] :
         {std::pair{line, line.substr(0, 70) + "\r\n" + line.substr(70)},
          {"Title\r\n" + line, "Title\r\n" + line.substr(0, 65) + "\r\n" + line.substr(65)},
          {reformatText(line), line.substr(0, 70) + "\r\n\r\n" + line.substr(70)},
          {"", ""}})
        EXPECT_EQ(reformatText(text), reformatted) << text;
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

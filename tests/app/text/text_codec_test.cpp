// The codec between the boxes and the record files' Windows-1252 bytes.

#include <QPlainTextEdit>
#include <gtest/gtest.h>
#include <string>

#include "app/text/text_codec.h"

namespace qb::test {
namespace {

// Every byte a record text can hold (all but the double quote), NUL, lone CR and LF among them, comes back from a
// multi-line box unchanged.
TEST(TextCodec, AMultiLineBoxGivesBackEveryByteItWasGiven) {
    std::string text = "needle\r\nlone\rCR, lone\nLF, CR CR LF\r\r\n, LF CR\n\r end ";
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != '"')
            text += static_cast<char>(byte);
    }
    QPlainTextEdit box;
    app::setFieldBytes(&box, text);
    EXPECT_EQ(app::fieldBytes(&box), text);
}

} // namespace
} // namespace qb::test

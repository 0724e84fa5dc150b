// An import through the real input box, message boxes and file dialog, as a user makes it.

#include <gtest/gtest.h>

#include <algorithm>

#include "live_session.h"
#include "temp_dir.h"

namespace qb::e2e {
namespace {

TEST(EndToEndImport, TwoFieldsPerRecordThroughTheFileDialog) {
    test::TempDir home, work;
    const std::string quill = home / "drive_c/quill";
    test::writeFile(work / "addresses.txt", "\"Smith\",\"12 Oak St, Leeds\"\r\n\"Jones\",\"4 Elm Rd\"\r\n");
    LiveSession session({.home = home.path(), .workdir = work.path()});
    ASSERT_TRUE(session.started());
    ASSERT_TRUE(session.waitForWindow("MainWindow", {}, kStartUp));

    ASSERT_TRUE(session.click("MainWindow", "&Import records"));
    ASSERT_TRUE(session.waitForWindow("Your input is needed!",
                                      "Enter the number of items/groups in quotes per record (1-100)"));
    ASSERT_TRUE(session.type("Your input is needed!", "2"));
    ASSERT_TRUE(session.key("Your input is needed!", "Return"));
    ASSERT_TRUE(session.answer(
        "Attention!", "On the next screen, choose the text file (comma delimited) that you want to open.", "OK"));
    ASSERT_TRUE(session.waitForWindow("QFileDialog"));
    ASSERT_TRUE(session.type("QFileDialog", work / "addresses.txt"));
    ASSERT_TRUE(session.key("QFileDialog", "Return"));
    const char* begin =
        "The importing process takes a long time (2 seconds/record).  Press Enter to begin - BE PATIENT!";
    ASSERT_TRUE(session.waitForWindow("Attention!", begin));
    ASSERT_TRUE(session.key("Attention!", "Return"));
    // Two records at two seconds each, with the event loop held meanwhile.
    const char* done = "The records have been imported into the specified directory!";
    ASSERT_TRUE(session.waitForWindow("Attention!", done, 20));
    ASSERT_TRUE(session.answer("Attention!", done, "OK"));

    std::vector<std::string> records;
    for (const std::string& name : test::listFolder(quill))
        records.push_back(test::readFile(quill + "/" + name));
    std::sort(records.begin(), records.end());
    EXPECT_EQ(records, (std::vector<std::string>{"\"\"\r\n\"Jones\r\n4 Elm Rd\r\n\"\r\n",
                                                 "\"\"\r\n\"Smith\r\n12 Oak St, Leeds\r\n\"\r\n"}));
}

} // namespace
} // namespace qb::e2e

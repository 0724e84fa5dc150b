// An import through the real input box, message boxes and file dialog, as a user makes it.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "live_session.h"
#include "temp_dir.h"

namespace qb::e2e {
namespace {

// From the main window to the start of an import of a file with two fields per record, through the real input box,
// message boxes and file dialog.
testing::AssertionResult startImport(LiveSession& session, const std::string& file) {
    const char* ask = "Your input is needed!";
    const char* begin =
        "The importing process takes a long time (2 seconds/record).  Press Enter to begin - BE PATIENT!";
    const std::function<testing::AssertionResult()> steps[] = {
        [&] { return session.click("MainWindow", "&Import records"); },
        [&] { return session.waitForWindow(ask, "Enter the number of items/groups in quotes per record (1-100)"); },
        [&] { return session.type(ask, "2"); },
        [&] { return session.key(ask, "Return"); },
        [&] {
            return session.answer("Attention!",
                                  "On the next screen, choose the text file (comma delimited) that you want to open.",
                                  "OK");
        },
        [&] { return session.waitForWindow("QFileDialog"); },
        [&] { return session.type("QFileDialog", file); },
        [&] { return session.key("QFileDialog", "Return"); },
        [&] { return session.answer("Attention!", begin, "OK"); },
    };
    for (const auto& step : steps) {
        if (testing::AssertionResult done = step(); !done)
            return done;
    }
    return testing::AssertionSuccess();
}

TEST(EndToEndImport, TwoFieldsPerRecordThroughTheFileDialog) {
    test::TempDir home, work;
    const std::string quill = home / "drive_c/quill";
    test::writeFile(work / "addresses.txt", "\"Smith\",\"12 Oak St, Leeds\"\r\n\"Jones\",\"4 Elm Rd\"\r\n");
    LiveSession session({.home = home.path(), .workdir = work.path()});
    ASSERT_TRUE(session.started());
    ASSERT_TRUE(session.waitForWindow("MainWindow", {}, kStartUp));

    ASSERT_TRUE(startImport(session, work / "addresses.txt"));
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

// A long import shows its progress and stops when asked: the records written so far are whole, the rest is not
// read, and the user is told how many there are.
TEST(EndToEndImport, StopInTheProgressWindowKeepsWholeRecords) {
    test::TempDir home, work;
    const std::string quill = home / "drive_c/quill";
    std::string file;
    std::vector<std::string> expected;
    for (int i = 1; i <= 10; ++i) {
        file += "\"Name " + std::to_string(i) + "\",\"" + std::to_string(i) + " Oak St\"\r\n";
        expected.push_back("\"\"\r\n\"Name " + std::to_string(i) + "\r\n" + std::to_string(i) + " Oak St\r\n\"\r\n");
    }
    test::writeFile(work / "ten.txt", file);
    LiveSession session({.home = home.path(), .workdir = work.path()});
    ASSERT_TRUE(session.started());
    ASSERT_TRUE(session.waitForWindow("MainWindow", {}, kStartUp));

    ASSERT_TRUE(startImport(session, work / "ten.txt"));

    ASSERT_TRUE(session.waitForWindow("Importing records", "Record 2 of 10 - about 18 seconds left"));
    ASSERT_TRUE(session.click("Importing records", "Stop"));
    ASSERT_TRUE(session.waitUntil("the progress window gone",
                                  [](const Snapshot& seen) { return !seen.window("Importing records"); }));
    const std::vector<std::string> names = test::listFolder(quill);
    ASSERT_GE(names.size(), 1u);
    ASSERT_LT(names.size(), 10u) << "the rest of the file was not read";
    const std::string told = names.size() == 1 ? "1 record was" : std::to_string(names.size()) + " records were";
    ASSERT_TRUE(session.answer("Attention!",
                               "The import was stopped: " + told +
                                   " imported into the specified directory. The rest of the file was not read.",
                               "OK"));

    // The first records of the file, each one whole.
    std::vector<std::string> records;
    records.reserve(names.size());
    for (const std::string& name : names)
        records.push_back(test::readFile(quill + "/" + name));
    expected.resize(names.size());
    std::sort(records.begin(), records.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(records, expected);
}

} // namespace
} // namespace qb::e2e

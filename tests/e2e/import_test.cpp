// An import through the real input box, message boxes and file dialog, as a user makes it.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "live_session.h"
#include "temp_dir.h"

namespace qb::e2e {
namespace {

const char* const kStopQuestion = "Stop the import after the record being written?";
const char* const kDone = "The records have been imported into the specified directory!";

// A file of records with two fields each, and the record files an import makes of it, in file order.
struct TwoFieldRecords {
    std::string file;
    std::vector<std::string> records;
};
TwoFieldRecords twoFieldRecords(int count) {
    TwoFieldRecords made;
    for (int i = 1; i <= count; ++i) {
        made.file += "\"Name " + std::to_string(i) + "\",\"" + std::to_string(i) + " Oak St\"\r\n";
        made.records.push_back("\"\"\r\n\"Name " + std::to_string(i) + "\r\n" + std::to_string(i) +
                               " Oak St\r\n\"\r\n");
    }
    return made;
}

// The bytes of every file in a folder, sorted.
std::vector<std::string> sortedFiles(const std::string& folder) {
    std::vector<std::string> files;
    for (const std::string& name : test::listFolder(folder))
        files.push_back(test::readFile(folder + "/" + name));
    std::sort(files.begin(), files.end());
    return files;
}

// From the main window to the start of an import of a file with two fields per record, through the real input box,
// message boxes and file dialog; the last message is answered with Enter or with a click on OK.
testing::AssertionResult startImport(LiveSession& session, const std::string& file, bool beginWithEnter = false) {
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
        [&] { return session.waitForWindow("Attention!", begin); },
        [&] {
            return beginWithEnter ? session.key("Attention!", "Return") : session.answer("Attention!", begin, "OK");
        },
    };
    for (const auto& step : steps) {
        if (testing::AssertionResult done = step(); !done)
            return done;
    }
    return testing::AssertionSuccess();
}

// The records go to c:\quill.
class EndToEndImport : public MainWindowTest {
protected:
    const std::string quill_ = home_ / "drive_c/quill";
};

TEST_F(EndToEndImport, TwoFieldsPerRecordThroughTheFileDialog) {
    LiveSession& session = *session_;
    test::writeFile(work_ / "addresses.txt", "\"Smith\",\"12 Oak St, Leeds\"\r\n\"Jones\",\"4 Elm Rd\"\r\n");

    ASSERT_TRUE(startImport(session, work_ / "addresses.txt"));
    // Two records at two seconds each, with the event loop held meanwhile.
    ASSERT_TRUE(session.waitForWindow("Attention!", kDone, 20));
    ASSERT_TRUE(session.answer("Attention!", kDone, "OK"));
    EXPECT_EQ(sortedFiles(quill_), (std::vector<std::string>{"\"\"\r\n\"Jones\r\n4 Elm Rd\r\n\"\r\n",
                                                             "\"\"\r\n\"Smith\r\n12 Oak St, Leeds\r\n\"\r\n"}));
}

// A long import shows its progress and stops when asked and confirmed: the records written so far are whole, the
// rest are not imported, and the user is told how many there are.
TEST_F(EndToEndImport, StopInTheProgressWindowKeepsWholeRecords) {
    LiveSession& session = *session_;
    const TwoFieldRecords ten = twoFieldRecords(10);
    test::writeFile(work_ / "ten.txt", ten.file);

    ASSERT_TRUE(startImport(session, work_ / "ten.txt"));

    ASSERT_TRUE(session.waitForWindow("Importing records", "Record 2 of 10 - about 18 seconds left"));
    ASSERT_TRUE(session.click("Importing records", "stopButton"));
    ASSERT_TRUE(session.answer("QMessageBox", kStopQuestion, "&Yes"));
    ASSERT_TRUE(session.waitUntil("the progress window gone",
                                  [](const Snapshot& seen) { return !seen.window("Importing records"); }));
    const std::vector<std::string> records = sortedFiles(quill_);
    ASSERT_GE(records.size(), 1u);
    ASSERT_LT(records.size(), 10u) << "the remaining records were not imported";
    const std::string told = records.size() == 1 ? "1 record was" : std::to_string(records.size()) + " records were";
    ASSERT_TRUE(session.answer("Attention!",
                               "The import was stopped: " + told +
                                   " imported into the specified directory. The remaining records were not imported.",
                               "OK"));

    // The first records of the file, each one whole.
    std::vector<std::string> expected(ten.records.begin(), ten.records.begin() + static_cast<long>(records.size()));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(records, expected);
}

// Keys pressed in passing never stop an import, nor close its last message unseen: Enter on the progress window does
// nothing (Stop is no default button), Space on Stop asks first and Enter answers No, and Enter held down until the
// import has ended repeats into the closing message without closing it.
TEST_F(EndToEndImport, HurriedKeysNeverStopTheImport) {
    LiveSession& session = *session_;
    const TwoFieldRecords four = twoFieldRecords(4);
    test::writeFile(work_ / "four.txt", four.file);

    ASSERT_TRUE(startImport(session, work_ / "four.txt", true));
    ASSERT_TRUE(session.key("Importing records", "Return"));
    ASSERT_TRUE(session.waitForWindow("Importing records", "Record 2 of 4 - about 6 seconds left"));
    ASSERT_TRUE(session.key("Importing records", "Return"));
    ASSERT_TRUE(session.key("Importing records", "space"));
    ASSERT_TRUE(session.waitForWindow("QMessageBox", kStopQuestion));
    ASSERT_TRUE(session.key("QMessageBox", "Return"));

    ASSERT_TRUE(session.holdKey("Importing records", "Return"));
    const bool shown = session.waitForWindow("Attention!", kDone, 15);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // the key repeats into the message meanwhile
    const bool stillShown = session.snapshot().window("Attention!", kDone) != nullptr;
    ASSERT_TRUE(session.releaseKey("Return"));
    ASSERT_TRUE(shown);
    EXPECT_TRUE(stillShown) << "the held key closed the message";
    ASSERT_TRUE(session.answer("Attention!", kDone, "OK"));

    std::vector<std::string> expected = four.records;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sortedFiles(quill_), expected);
}

} // namespace
} // namespace qb::e2e

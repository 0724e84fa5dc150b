// The directory check runs when the focus leaves the directory box for a button, with real modal message boxes and
// real clicks: the button's own operation must follow the check's two messages, whether the button was pressed by
// its access key or clicked with the left mouse button, and must not run at all for a right or middle click.

#include <gtest/gtest.h>

#include <filesystem>

#include "live_session.h"
#include "temp_dir.h"

namespace qb::e2e {
namespace {

class EndToEndDirectoryCheck : public MainWindowTest {
protected:
    // A missing directory typed into the directory box, which keeps the focus.
    void typeAMissingDirectory() {
        ASSERT_TRUE(session_->click("MainWindow", "dataDirectory"));
        ASSERT_TRUE(session_->key("MainWindow", "ctrl+a"));
        ASSERT_TRUE(session_->type("MainWindow", "c:\\nosuchdir"));
        ASSERT_TRUE(session_->waitUntil("c:\\nosuchdir typed into the directory box", [](const Snapshot& seen) {
            return seen.text("MainWindow", "dataDirectory") == "c:\\nosuchdir";
        }));
    }

    // The check's two messages, answered, and the program default back in the box.
    void answerTheCheck() {
        ASSERT_TRUE(
            session_->answer("Attention", "The directory you have specified does not exist.  Please create it.", "OK"));
        ASSERT_TRUE(
            session_->answer("Attention", "Directory being changed back to program default of C:\\QUILL", "OK"));
        EXPECT_TRUE(session_->waitUntil("c:\\quill back in the directory box", [](const Snapshot& seen) {
            return seen.text("MainWindow", "dataDirectory") == "c:\\quill";
        }));
    }

    // After Save has taken the focus from the box: the check, then the save's own refusal of the empty text, and
    // the button drawn raised again; nothing written anywhere.
    void expectTheCheckThenTheSave() {
        answerTheCheck();
        EXPECT_TRUE(session_->answer("Alert!", "You can't save an empty text box!", "OK"))
            << "the save did not run after the directory check";
        EXPECT_TRUE(
            session_->waitUntil("\"Sa&ve Record\" drawn raised in the active main window", [](const Snapshot& seen) {
                const Window* main = seen.window("MainWindow");
                return main && main->active && !main->control("saveButton")->down;
            }));
        EXPECT_FALSE(std::filesystem::exists(home_ / "drive_c/nosuchdir"));
        EXPECT_EQ(test::listFolder(home_ / "drive_c/quill"), std::vector<std::string>{"12011000.611"});
    }
};

// A right or a middle click on a button takes the focus from the box, so the check runs, but only the left button
// runs a button's operation: the recalled record stays on screen and its file stays. Save, pressed by its access key
// or clicked, runs after the check's messages.
TEST_F(EndToEndDirectoryCheck, RunsBeforeAClickedOrAccessKeyButtonAndAloneForOtherMouseButtons) {
    const std::string record = home_ / "drive_c/quill/12011000.611";
    test::writeFile(record, "\"\"\r\n\"needle\"\r\n");
    ASSERT_TRUE(session_->click("MainWindow", "searchString1"));
    ASSERT_TRUE(session_->type("MainWindow", "needle"));
    ASSERT_TRUE(session_->click("MainWindow", "&Search"));
    ASSERT_TRUE(session_->answer("Match found", "Record found!  Continue search?", "&No"));
    ASSERT_TRUE(session_->answer("Attention", "Search complete!", "OK"));

    std::string typed;
    for (const int button : {3, 2}) {
        typeAMissingDirectory();
        ASSERT_TRUE(session_->click("MainWindow", "&Delete record", button));
        answerTheCheck();
        // Typed after the click was dealt with: a delete it had started would have taken these keys.
        typed += "x";
        ASSERT_TRUE(session_->click("MainWindow", "searchString1"));
        ASSERT_TRUE(session_->type("MainWindow", "x"));
        EXPECT_TRUE(session_->waitUntil("the typing in the main window, the record still on screen",
                                        [&](const Snapshot& seen) {
                                            return seen.text("MainWindow", "searchString1") == typed &&
                                                   seen.text("MainWindow", "recordNumber") == "12011000.611";
                                        }))
            << "mouse button " << button;
        EXPECT_EQ(session_->snapshot().window("Attention!"), nullptr) << "mouse button " << button;
        EXPECT_EQ(test::readFile(record), "\"\"\r\n\"needle\"\r\n") << "mouse button " << button;
    }

    ASSERT_TRUE(session_->click("MainWindow", "&Clear form"));
    typeAMissingDirectory();
    ASSERT_TRUE(session_->key("MainWindow", "alt+v"));
    expectTheCheckThenTheSave();
    typeAMissingDirectory();
    ASSERT_TRUE(session_->click("MainWindow", "Sa&ve Record"));
    expectTheCheckThenTheSave();
}

} // namespace
} // namespace qb::e2e

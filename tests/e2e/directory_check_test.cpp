// The directory check runs when the focus leaves the directory box for a button; the button's own operation must
// follow the check's two messages, whether the button was pressed by its access key or clicked with the mouse.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "live_session.h"
#include "temp_dir.h"

namespace qb::e2e {
namespace {

// The main window with a missing directory typed into the directory box and an empty record text.
class EndToEndDirectoryCheck : public testing::Test {
protected:
    void SetUp() override {
        session_.emplace(StartOptions{.home = home_.path(), .workdir = work_.path()});
        ASSERT_TRUE(session_->started());
        ASSERT_TRUE(session_->waitForWindow("MainWindow", {}, kStartUp));
        ASSERT_TRUE(session_->click("MainWindow", "dataDirectory"));
        ASSERT_TRUE(session_->key("MainWindow", "ctrl+a"));
        ASSERT_TRUE(session_->type("MainWindow", "c:\\nosuchdir"));
        ASSERT_TRUE(session_->waitUntil("c:\\nosuchdir typed into the directory box", [](const Snapshot& seen) {
            return seen.text("MainWindow", "dataDirectory") == "c:\\nosuchdir";
        }));
    }

    // After Save has taken the focus from the box: the check's two messages, the program default back in the box,
    // then the save's own refusal of the empty text, and the button drawn raised again; no record anywhere.
    void expectTheCheckThenTheSave() {
        ASSERT_TRUE(
            session_->answer("Attention", "The directory you have specified does not exist.  Please create it.", "OK"));
        ASSERT_TRUE(
            session_->answer("Attention", "Directory being changed back to program default of C:\\QUILL", "OK"));
        EXPECT_TRUE(session_->waitUntil("c:\\quill back in the directory box", [](const Snapshot& seen) {
            return seen.text("MainWindow", "dataDirectory") == "c:\\quill";
        }));
        EXPECT_TRUE(session_->answer("Alert!", "You can't save an empty text box!", "OK"))
            << "the save did not run after the directory check";
        EXPECT_TRUE(
            session_->waitUntil("\"Sa&ve Record\" drawn raised in the active main window", [](const Snapshot& seen) {
                const Window* main = seen.window("MainWindow");
                return main && main->active && !main->control("saveButton")->down;
            }));
        EXPECT_FALSE(std::filesystem::exists(home_ / "drive_c/nosuchdir"));
        EXPECT_TRUE(std::filesystem::is_empty(home_ / "drive_c/quill"));
    }

    test::TempDir home_, work_;
    std::optional<LiveSession> session_;
};

TEST_F(EndToEndDirectoryCheck, SavePressedByItsAccessKeyRunsAfterTheCheck) {
    ASSERT_TRUE(session_->key("MainWindow", "alt+v"));
    expectTheCheckThenTheSave();
}

TEST_F(EndToEndDirectoryCheck, SaveClickedWithTheMouseRunsAfterTheCheck) {
    ASSERT_TRUE(session_->click("MainWindow", "Sa&ve Record"));
    expectTheCheckThenTheSave();
}

} // namespace
} // namespace qb::e2e

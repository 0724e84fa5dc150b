// The start-up procedure, exit, the password and the default directory.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <gtest/gtest.h>

#include "app/widgets/limited_text_edit.h"
#include "app/windows/reminder_window.h"
#include "form_fixture.h"
#include "platform/files.h"

namespace qb::test {
namespace {

const QString kAttention = QStringLiteral("Attention!");
const Shown kPasswordPrompt =
    Shown::input("Please enter your password", "(Quillbox)  Attention - password required", "Enter your password here");

class StartupTest : public FormFixture {
protected:
    std::string driveC(const std::string& name) const { return drivePath("c:\\" + name); }
    QStringList comboList(const app::MainWindow* f = nullptr) const {
        const QComboBox* box = (f ? f : form.get())->controls().dataDirectory;
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    }
    app::MainWindow& load() {
        app::MainWindow& f = makeForm();
        f.hide(); // the main window exists but is not shown until its start-up says so
        f.startUp();
        return f;
    }
};

TEST_F(StartupTest, WithNoSettingsTheMainWindowComesUpOnTheProgramDefault) {
    app::MainWindow& f = load();
    EXPECT_EQ(comboList(), QStringList{"c:\\quill"});
    EXPECT_EQ(f.controls().dataDirectory->currentText(), QStringLiteral("c:\\quill"));
    EXPECT_FALSE(f.controls().checkAlarms->isChecked());
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(dialogs.dialogs().empty());
    EXPECT_TRUE(platform::directoryExists(driveC("quill"))) << "c:\\quill is created when missing";
    EXPECT_TRUE(listFolder(driveC("quill")).empty()) << "no probe file stays behind";
    EXPECT_EQ(dialogs.pointers(), (std::vector<Shown>{Shown::pointer("ReminderWindow", app::Pointer::Hourglass),
                                                      Shown::pointer("MainWindow", app::Pointer::Default)}));
}

TEST_F(StartupTest, DefaultDirectoryAndDirectoryListsFillTheListInOrder) {
    writeFile(driveC("default.dat"), "d:\\notes,d:\\ignored\r\n");
    writeFile(driveC("DirList.dat"), "c:\\one\r\nc:\\two, c:\\three\r\n");
    writeFile(workdir / "dirlist.dat", "\"e:\\quoted, with comma\"\r\n007\r\n");
    app::MainWindow& f = load();
    EXPECT_EQ(comboList(), (QStringList{"c:\\quill", "d:\\notes", "c:\\one", "c:\\two", "c:\\three",
                                        "e:\\quoted, with comma", "7"}));
    EXPECT_EQ(f.controls().dataDirectory->currentText(), QStringLiteral("d:\\notes"));
}

TEST_F(StartupTest, TheDirectoryListIsReadTwiceWhenStartedInTheRootOfDriveC) {
    writeFile(driveC("dirlist.dat"), "c:\\one\r\n");
    platform::DriveMap rooted(home.path(), driveC(""));
    app::Services inDriveC{rooted, clock, dialogs, printer, exit};
    app::MainWindow f(inDriveC);
    f.startUp();
    EXPECT_EQ(comboList(&f), (QStringList{"c:\\quill", "c:\\one", "c:\\one"}));
}

TEST_F(StartupTest, EmptyOrBrokenSettingsFilesFallBackToDefaults) {
    writeFile(driveC("default.dat"), "\r\n");
    writeFile(driveC("@.dat"), "");
    writeFile(driveC("dirlist.dat"), std::string("\0\x01\x02\xff", 4));
    app::MainWindow& f = load();
    EXPECT_EQ(f.controls().dataDirectory->currentText(), QStringLiteral("c:\\quill"));
    EXPECT_TRUE(dialogs.dialogs().empty()) << "an empty password file asks for nothing";
    EXPECT_TRUE(f.isVisible());
}

TEST_F(StartupTest, ACrashedPasswordWriteLeavesNoClearTextBehindAfterTheNextStart) {
    writeFile(driveC(".@.dat.Xy12Zw"), "old password\r\n");
    writeFile(driveC(".@.dat.notmine"), "kept\r\n");
    load();
    EXPECT_EQ(listFolder(driveC("")), (std::vector<std::string>{".@.dat.notmine", "quill"}));
}

TEST_F(StartupTest, AnAlarmFlagOfAnyContentRunsTheReminderCheckInstead) {
    writeFile(driveC("FLAG.DAT"), "");
    makeQuillFolder();
    writeFile(driveC("quill/12011000.611"), "\"12/06/26\"\r\n\"due today\"\r\n");
    app::MainWindow& f = load();
    EXPECT_TRUE(f.controls().checkAlarms->isChecked());
    EXPECT_FALSE(f.isVisible());
    ASSERT_TRUE(f.reminderWindow().isVisible());
    EXPECT_TRUE(
        f.reminderWindow().controls().reminderList->toPlainText().contains(QStringLiteral("Reminder dated: 12/06/26")));
}

TEST_F(StartupTest, StartGoesOnWhenTheProgramDefaultCannotBeCreated) {
    writeFile(driveC("quill"), "a file where the folder should be");
    app::MainWindow& f = load();
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(platform::directoryExists(driveC("quill")));
}

TEST_F(StartupTest, PasswordIsAskedUntilRightInAnyLetterCase) {
    writeFile(driveC("@.dat"), "Secret,ignored\r\n");
    writeFile(driveC("dirlist.dat"), "c:\\one\r\n");
    dialogs.expectInput(QStringLiteral("Enter your password here"));
    dialogs.expectInput(QStringLiteral("Secret,ignored"));
    dialogs.expectInput(QStringLiteral("sECRET"));
    app::MainWindow& f = load();
    EXPECT_EQ(dialogs.dialogs(), std::vector<Shown>(3, kPasswordPrompt)) << "wrong answers get no message";
    EXPECT_EQ(exit.calls(), 0);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(comboList(), (QStringList{"c:\\quill", "c:\\one"}));
}

TEST_F(StartupTest, CancelAtThePasswordPromptEndsTheProgramAtOnce) {
    writeFile(driveC("@.dat"), "007\r\n");
    writeFile(driveC("dirlist.dat"), "c:\\one\r\n");
    dialogs.expectInput(QStringLiteral("007")); // a number is stored without its leading zeros
    dialogs.expectInput(QString());
    app::MainWindow& f = load();
    EXPECT_EQ(exit.calls(), 1);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(comboList(), QStringList{"c:\\quill"}) << "nothing after the prompt ran";
    EXPECT_FALSE(platform::directoryExists(driveC("quill")));
}

TEST_F(StartupTest, ExitStoresTheAlarmFlagThenEnds) {
    app::MainWindow& f = makeForm();
    f.controls().checkAlarms->setChecked(true);
    f.exitProgram();
    EXPECT_EQ(readFile(driveC("flag.dat")), " \r\n");
    EXPECT_EQ(exit.calls(), 1);

    f.controls().checkAlarms->setChecked(false);
    f.exitProgram();
    EXPECT_FALSE(platform::fileExists(driveC("flag.dat")));
    f.exitProgram(); // no flag file: nothing to delete
    EXPECT_EQ(exit.calls(), 3);
    EXPECT_TRUE(dialogs.events().empty());
}

TEST_F(StartupTest, ClosingTheMainWindowEndsTheProgramWithoutStoringTheFlag) {
    app::MainWindow& f = makeForm();
    f.controls().checkAlarms->setChecked(true);
    f.close();
    EXPECT_EQ(exit.calls(), 1);
    EXPECT_FALSE(platform::fileExists(driveC("flag.dat")));
}

TEST_F(StartupTest, SetAsDefaultStoresTheTextAsTyped) {
    app::MainWindow& f = makeForm();
    f.controls().dataDirectory->setEditText(QStringLiteral("d:\\my notes"));
    f.setDefaultDirectory();
    EXPECT_EQ(readFile(driveC("default.dat")), "d:\\my notes\r\n");
    EXPECT_EQ(dialogs.dialogs(), std::vector<Shown>{Shown::message("New default directory set!", kAttention)});
    f.controls().dataDirectory->setEditText(QString());
    f.setDefaultDirectory();
    EXPECT_EQ(readFile(driveC("default.dat")), "d:\\my notes\r\n");
    EXPECT_EQ(dialogs.dialogs().size(), 1u);
}

using PasswordTest = StartupTest;

const Shown kFirst =
    Shown::input("Enter a P/W & click OK, or click Cancel for no P/W.", "Please enter a new password below");
const Shown kConfirm =
    Shown::input("Enter your new password again to confirm", "Enter your new password again to confirm");
const Shown kMismatch = Shown::message(
    "The new password did not match the confirming password.  You will be asked to re-enter them.", kAttention);

TEST_F(PasswordTest, MismatchAsksAgainAndAMatchIsStoredPrivately) {
    app::MainWindow& f = makeForm();
    for (const char* answer : {"Secret", "secret", "Secret", "", "Secret", "Secret"})
        dialogs.expectInput(QString::fromLatin1(answer));
    f.changePassword();
    EXPECT_EQ(dialogs.dialogs(),
              (std::vector<Shown>{kFirst, kConfirm, kMismatch, kFirst, kConfirm, kMismatch, kFirst, kConfirm,
                                  Shown::message("The new password has been saved!", "Password saved!")}));
    EXPECT_EQ(readFile(driveC("@.dat")), "Secret\r\n");
    EXPECT_EQ(modeOf(driveC("@.dat")) & 0777, 0600u);
}

TEST_F(PasswordTest, AnEmptyFirstEntryDeletesThePassword) {
    app::MainWindow& f = makeForm();
    dialogs.expectInput(QString());
    f.changePassword(); // none was set: the same message, no file
    writeFile(driveC("@.dat"), "old\r\n");
    dialogs.expectInput(QString());
    f.changePassword();
    EXPECT_FALSE(platform::fileExists(driveC("@.dat")));
    EXPECT_EQ(dialogs.dialogs(), (std::vector<Shown>{kFirst, Shown::message("Password was deleted!", kAttention),
                                                     kFirst, Shown::message("Password was deleted!", kAttention)}));
}

TEST_F(PasswordTest, PasswordsThatWouldNotReadBackAreRefusedWithAReason) {
    app::MainWindow& f = makeForm();
    for (const char* refused : {" lead", "a,b", "007", "   "}) {
        dialogs.expectInput(QString::fromLatin1(refused));
        dialogs.expectInput(QString::fromLatin1(refused));
    }
    dialogs.expectInput(QStringLiteral("fine 1"));
    dialogs.expectInput(QStringLiteral("fine 1"));
    f.changePassword();
    const std::vector<Shown> shown = dialogs.messages();
    ASSERT_EQ(shown.size(), 5u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(shown[i].text.startsWith(QStringLiteral("This password cannot be used: "))) << i;
        EXPECT_EQ(shown[i].title, kAttention);
    }
    EXPECT_EQ(shown[4], Shown::message("The new password has been saved!", "Password saved!"));
    EXPECT_EQ(readFile(driveC("@.dat")), "fine 1\r\n");
}

TEST_F(PasswordTest, APasswordSetIsAskedForAtTheNextStart) {
    app::MainWindow& f = makeForm();
    dialogs.expectInput(QStringLiteral("caf\u00E9"));
    dialogs.expectInput(QStringLiteral("caf\u00E9"));
    f.changePassword();
    form.reset();
    dialogs.clearLog();
    dialogs.expectInput(QStringLiteral("CAF\u00C9"));
    app::MainWindow& next = load();
    EXPECT_EQ(dialogs.dialogs(), std::vector<Shown>{kPasswordPrompt});
    EXPECT_TRUE(next.isVisible());
}

} // namespace
} // namespace qb::test

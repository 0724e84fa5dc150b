// The window's probes leave a user's own testit.dat and testdir alone: saving, the directory check and start-up
// work as they always did, and the user's file and folder come through byte for byte.

#include <QComboBox>
#include <gtest/gtest.h>

#include "app/widgets/limited_text_edit.h"
#include "form_fixture.h"

namespace qb::test {

TEST_F(FormFixture, AUsersTestitDatAndTestdirSurviveSaveDirectoryCheckAndStartUp) {
    const std::string quill = makeQuillFolder();
    writeFile(quill + "/testit.dat", "notes of the user's\r\n");
    writeFile(quill + "/testdir/plan.txt", "a folder of the user's");
    makeForm();

    form->controls().recordText->setPlainText(QStringLiteral("a new record"));
    form->saveRecord();
    form->checkDataDirectory();
    form->hide();
    form->startUp();

    EXPECT_EQ(dialogs.dialogs(), std::vector<Shown>{Shown::message("Your record has been saved!", "Saved!")});
    EXPECT_EQ(listFolder(quill), (std::vector<std::string>{"12061403.659", "testdir", "testit.dat"}));
    EXPECT_EQ(readFile(quill + "/testit.dat"), "notes of the user's\r\n");
    EXPECT_EQ(listFolder(quill + "/testdir"), std::vector<std::string>{"plan.txt"});
    EXPECT_EQ(readFile(quill + "/testdir/plan.txt"), "a folder of the user's");
}

} // namespace qb::test

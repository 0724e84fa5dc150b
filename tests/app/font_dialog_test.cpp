// The real font dialog, answered through its widgets as a user would.

#include "app/font_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace qb::app {
namespace {

// Runs answer on the font dialog once it is up; gives up after about two seconds and rejects whatever modal
// window is open, so a dialog that never appears fails the test instead of hanging it.
void whenDialogOpens(std::function<void(QDialog&)> answer, int triesLeft = 200) {
    QTimer::singleShot(10, [answer, triesLeft] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog && dialog->findChild<QFontDialog*>()) {
            answer(*dialog);
        } else if (triesLeft > 0) {
            whenDialogOpens(answer, triesLeft - 1);
        } else {
            ADD_FAILURE() << "the font dialog did not open";
            if (dialog)
                dialog->reject();
        }
    });
}

QCheckBox* effectBox(QDialog& dialog, const QString& name) {
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        if (box->text().remove('&') == name)
            return box;
    ADD_FAILURE() << "no check box " << name.toStdString();
    return nullptr;
}

TEST(FontDialog, ConfirmedChoiceCarriesFontEffectsAndColour) {
    whenDialogOpens([](QDialog& dialog) {
        dialog.findChild<QFontDialog*>()->setCurrentFont(QFont("Liberation Serif", 14, QFont::Bold, true));
        if (QCheckBox* strikeout = effectBox(dialog, "Strikeout"))
            strikeout->click();
        auto* colors = dialog.findChild<QComboBox*>("colorBox");
        if (!colors) {
            ADD_FAILURE() << "no colour box";
            dialog.reject();
            return;
        }
        EXPECT_EQ(colors->count(), 16);
        colors->setCurrentIndex(colors->findText("Navy"));
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    const std::optional<FontChoice> choice = runFontDialog(nullptr, kFontDialogFlags);

    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->name, "Liberation Serif");
    EXPECT_EQ(choice->pointSize, 14);
    EXPECT_TRUE(choice->bold);
    EXPECT_TRUE(choice->italic);
    EXPECT_TRUE(choice->strikeout);
    EXPECT_FALSE(choice->underline);
    EXPECT_EQ(choice->color, QColor(0x00, 0x00, 0x80));
}

TEST(FontDialog, CancelGivesNothing) {
    whenDialogOpens(
        [](QDialog& dialog) { dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click(); });
    EXPECT_FALSE(runFontDialog(nullptr, kFontDialogFlags).has_value());
}

TEST(FontDialog, WithoutTheEffectsFlagOffersNoEffectsOrColour) {
    whenDialogOpens([](QDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QComboBox*>("colorBox"), nullptr);
        for (QCheckBox* effect : dialog.findChildren<QCheckBox*>())
            EXPECT_FALSE(effect->isVisibleTo(&dialog)) << effect->text().toStdString();
        dialog.accept();
    });
    const std::optional<FontChoice> choice = runFontDialog(nullptr, 3);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->color, QColor(Qt::black));
}

} // namespace
} // namespace qb::app

// The real font dialog, answered through its widgets as a user would.

#include "app/dialogs/font_dialog.h"

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
void whenDialogOpens(const std::function<void(QDialog&)>& answer, int triesLeft = 200) {
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
    const std::optional<FontChoice> choice = runFontDialog(nullptr, kFontDialogFlags, initialPrinterFont());

    // Bold, italic, struck out and not underlined, in navy.
    EXPECT_EQ(choice, (FontChoice{"Liberation Serif", 14, true, true, false, true, QColor(0x00, 0x00, 0x80)}));
}

// The dialog opens on the font it is given, everything preselected, and OK without a change gives it back exactly,
// also a name the system only has a stand-in for.
TEST(FontDialog, OpensOnTheGivenFontAndOkUnchangedGivesItBack) {
    FontChoice given = initialPrinterFont();
    given.bold = true;
    given.strikeout = true;
    given.color = QColor(0x00, 0x00, 0x80);
    whenDialogOpens([](QDialog& dialog) {
        const QFont shown = dialog.findChild<QFontDialog*>()->currentFont();
        EXPECT_EQ(shown.pointSizeF(), 10);
        EXPECT_TRUE(shown.bold());
        EXPECT_TRUE(shown.strikeOut());
        if (QCheckBox* strikeout = effectBox(dialog, "Strikeout")) {
            EXPECT_TRUE(strikeout->isChecked());
        }
        if (auto* colors = dialog.findChild<QComboBox*>("colorBox")) {
            EXPECT_EQ(colors->currentText(), "Navy");
        }
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(runFontDialog(nullptr, kFontDialogFlags, given), given);
}

TEST(FontDialog, CancelGivesNothing) {
    whenDialogOpens(
        [](QDialog& dialog) { dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click(); });
    EXPECT_FALSE(runFontDialog(nullptr, kFontDialogFlags, initialPrinterFont()).has_value());
}

TEST(FontDialog, WithoutTheEffectsFlagOffersNoEffectsOrColour) {
    whenDialogOpens([](QDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QComboBox*>("colorBox"), nullptr);
        for (QCheckBox* effect : dialog.findChildren<QCheckBox*>())
            EXPECT_FALSE(effect->isVisibleTo(&dialog)) << effect->text().toStdString();
        dialog.accept();
    });
    const std::optional<FontChoice> choice = runFontDialog(nullptr, 3, initialPrinterFont());
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->color, QColor(Qt::black));
}

} // namespace
} // namespace qb::app

#include "app/font_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QPixmap>
#include <QVBoxLayout>

namespace qb::app {

namespace {

// The choose-font flag that asks for the effects: strikeout, underline and a text colour.
constexpr int kEffectsFlag = 0x100;

struct BasicColor {
    const char* name;
    QRgb rgb;
};

// The sixteen basic colours a font dialog offers for text.
constexpr BasicColor kBasicColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x800000},  {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},   {"Purple", 0x800080},  {"Teal", 0x008080},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},     {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF},  {"White", 0xFFFFFF},
};

QComboBox* makeColorBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("colorBox"));
    for (const BasicColor& basic : kBasicColors) {
        QPixmap swatch(16, 16);
        swatch.fill(QColor(basic.rgb));
        box->addItem(QIcon(swatch), QString::fromLatin1(basic.name), QColor(basic.rgb));
    }
    return box;
}

// Qt's font dialog, made a child widget without buttons of its own, supplies the lists of faces, styles and sizes,
// the strikeout and underline boxes and the sample. Qt lists every installed face, which serves screen and printer
// alike, so the screen and printer font flags need nothing more.
QFontDialog* makeFontLists(QDialog& owner, int flags) {
    auto* lists = new QFontDialog(&owner);
    lists->setWindowFlags(Qt::Widget);
    lists->setOptions(QFontDialog::DontUseNativeDialog | QFontDialog::NoButtons);
    lists->setCurrentFont(owner.parentWidget() ? owner.parentWidget()->font() : QApplication::font());
    if (!(flags & kEffectsFlag)) {
        for (QCheckBox* effect : lists->findChildren<QCheckBox*>())
            effect->parentWidget()->hide();
    }
    // Enter or Escape inside the lists closes them as a dialog would; the whole dialog goes with them.
    QObject::connect(lists, &QDialog::accepted, &owner, &QDialog::accept);
    QObject::connect(lists, &QDialog::rejected, &owner, &QDialog::reject);
    lists->setVisible(true);
    return lists;
}

} // namespace

std::optional<FontChoice> runFontDialog(QWidget* parent, int flags) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Font"));
    auto* layout = new QVBoxLayout(&dialog);
    QFontDialog* lists = makeFontLists(dialog, flags);
    layout->addWidget(lists);

    QComboBox* colorBox = nullptr;
    if (flags & kEffectsFlag) {
        auto* row = new QFormLayout;
        colorBox = makeColorBox(&dialog);
        row->addRow(QStringLiteral("&Color:"), colorBox);
        layout->addLayout(row);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QFont font = lists->currentFont();
    FontChoice choice;
    choice.name = font.family();
    choice.pointSize = font.pointSizeF();
    choice.bold = font.bold();
    choice.italic = font.italic();
    choice.underline = font.underline();
    choice.strikeout = font.strikeOut();
    if (colorBox)
        choice.color = colorBox->currentData().value<QColor>();
    return choice;
}

} // namespace qb::app

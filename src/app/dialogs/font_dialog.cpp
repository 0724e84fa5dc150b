#include "app/dialogs/font_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
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

void addColor(QComboBox* box, const QString& name, const QColor& color) {
    QPixmap swatch(16, 16);
    swatch.fill(color);
    box->addItem(QIcon(swatch), name, color);
}

// The basic colours, with the current one selected; a current colour that is none of them joins the list.
QComboBox* makeColorBox(QWidget* parent, const QColor& current) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("colorBox"));
    for (const BasicColor& basic : kBasicColors)
        addColor(box, QString::fromLatin1(basic.name), QColor(basic.rgb));
    if (box->findData(current) < 0)
        addColor(box, current.name(), current);
    box->setCurrentIndex(box->findData(current));
    return box;
}

// The dialog shows the nearest installed face and size; a value the user left as shown is kept as given, so a
// name such as Courier New is not swapped for the face that stands in for it.
template <typename T> T keptUnlessChanged(const T& given, const T& shown, const T& chosen) {
    return chosen == shown ? given : chosen;
}

FontChoice choiceOf(const QFont& chosen, const QFont& shown, const FontChoice& given) {
    FontChoice choice;
    choice.name = keptUnlessChanged(given.name, shown.family(), chosen.family());
    choice.pointSize = keptUnlessChanged(given.pointSize, shown.pointSizeF(), chosen.pointSizeF());
    choice.bold = keptUnlessChanged(given.bold, shown.bold(), chosen.bold());
    choice.italic = keptUnlessChanged(given.italic, shown.italic(), chosen.italic());
    choice.underline = keptUnlessChanged(given.underline, shown.underline(), chosen.underline());
    choice.strikeout = keptUnlessChanged(given.strikeout, shown.strikeOut(), chosen.strikeOut());
    choice.color = given.color;
    return choice;
}

// Qt's font dialog, made a child widget without buttons of its own, supplies the lists of faces, styles and sizes,
// the strikeout and underline boxes and the sample. Qt lists every installed face, which serves screen and printer
// alike, so the screen and printer font flags need nothing more.
QFontDialog* makeFontLists(QDialog& owner, int flags, const FontChoice& current) {
    auto* lists = new QFontDialog(&owner);
    lists->setWindowFlags(Qt::Widget);
    lists->setOptions(QFontDialog::DontUseNativeDialog | QFontDialog::NoButtons);
    // The lists hold installed faces only: a name such as Courier New is shown as the face that stands in for it.
    QFont shown = qtFontOf(current);
    shown.setFamily(QFontInfo(shown).family());
    lists->setCurrentFont(shown);
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

std::optional<FontChoice> runFontDialog(QWidget* parent, int flags, const FontChoice& current) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Font"));
    auto* layout = new QVBoxLayout(&dialog);
    QFontDialog* lists = makeFontLists(dialog, flags, current);
    const QFont shown = lists->currentFont();
    layout->addWidget(lists);

    QComboBox* colorBox = nullptr;
    if (flags & kEffectsFlag) {
        auto* row = new QFormLayout;
        colorBox = makeColorBox(&dialog, current.color);
        row->addRow(QStringLiteral("&Color:"), colorBox);
        layout->addLayout(row);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    FontChoice choice = choiceOf(lists->currentFont(), shown, current);
    if (colorBox)
        choice.color = colorBox->currentData().value<QColor>();
    return choice;
}

} // namespace qb::app

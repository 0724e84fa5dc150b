#include "app/widgets/controls.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qb::app {

QFont defaultFont() {
    // Liberation Sans has the widths of the classic 8-point dialog font, so the captions fit their buttons.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    return font;
}

QFont textBoxFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(8.25);
    return font;
}

QFont arialFont(double points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QString withoutAccessKey(const QString& caption) {
    QString plain = caption;
    return plain.remove(QLatin1Char('&'));
}

void setUpControl(QWidget* control, const char* name, const QString& accessibleName, const QString& toolTip,
                  const TwipsRect& at) {
    control->setObjectName(QString::fromLatin1(name));
    control->setAccessibleName(accessibleName);
    control->setToolTip(toolTip);
    place(control, at);
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QString& toolTip,
                        const TwipsRect& at) {
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(true);
    setUpControl(button, name, withoutAccessKey(caption), toolTip, at);
    return button;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, const TwipsRect& at, const QFont& font) {
    auto* label = new QLabel(caption, parent);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    setUpControl(label, name, caption, QString(), at);
    if (label->sizeHint().width() > label->width())
        label->resize(label->sizeHint().width(), label->height());
    return label;
}

QLineEdit* makeLineEdit(QWidget* parent, const char* name, const QString& accessibleName, const QString& toolTip,
                        const TwipsRect& at, int maxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setFont(textBoxFont());
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    setUpControl(edit, name, accessibleName, toolTip, at);
    return edit;
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption, const QString& toolTip,
                        const TwipsRect& at) {
    auto* box = new QCheckBox(caption, parent);
    setUpControl(box, name, caption, toolTip, at);
    return box;
}

} // namespace qb::app

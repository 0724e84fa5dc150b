#include "app/layout/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "app/widgets/limited_text_edit.h"

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

QString withoutAccessKey(const QString& caption) {
    QString plain = caption;
    return plain.remove(QLatin1Char('&'));
}

namespace {

QFont letteringFont(const Lettering& lettering) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(lettering.points);
    font.setWeight(lettering.weight);
    return font;
}

bool isBox(const QWidget& control) {
    return qobject_cast<const QLineEdit*>(&control) || qobject_cast<const QPlainTextEdit*>(&control) ||
           qobject_cast<const QComboBox*>(&control);
}

// The caption, or the first text of a box, as the kind of control shows it.
void putCaption(QWidget& control, const QString& caption, const ControlFields& fields) {
    if (auto* button = qobject_cast<QPushButton*>(&control)) {
        button->setText(caption);
        button->setAutoDefault(true); // Enter presses the button that has the focus, as the space bar does
    } else if (auto* label = qobject_cast<QLabel*>(&control)) {
        label->setText(caption);
        label->setAlignment(fields.lettering.alignment);
        label->setFocusPolicy(Qt::NoFocus);
    } else if (auto* checkBox = qobject_cast<QCheckBox*>(&control)) {
        checkBox->setText(caption);
    } else if (auto* frame = qobject_cast<QGroupBox*>(&control)) {
        frame->setTitle(caption);
    } else if (auto* edit = qobject_cast<QLineEdit*>(&control)) {
        edit->setText(caption);
        if (fields.limit > 0)
            edit->setMaxLength(fields.limit);
    } else if (auto* text = qobject_cast<LimitedTextEdit*>(&control)) {
        text->setPlainText(caption);
        text->setMaxLength(fields.limit);
    } else if (auto* combo = qobject_cast<QComboBox*>(&control)) {
        combo->setEditable(true);
        combo->setEditText(caption);
    }
}

} // namespace

template <class Kind> QWidget* makeControl(Kind*& slot, QWidget& container) {
    slot = new Kind(&container);
    return slot;
}
template QWidget* makeControl(QPushButton*&, QWidget&);
template QWidget* makeControl(QLabel*&, QWidget&);
template QWidget* makeControl(QLineEdit*&, QWidget&);
template QWidget* makeControl(LimitedTextEdit*&, QWidget&);
template QWidget* makeControl(QComboBox*&, QWidget&);
template QWidget* makeControl(QCheckBox*&, QWidget&);
template QWidget* makeControl(QGroupBox*&, QWidget&);
template QWidget* makeControl(QFrame*&, QWidget&);

QWidget& containerOf(QWidget& window, const ControlFields& fields) {
    QWidget* frame = fields.frame ? window.findChild<QWidget*>(QString::fromLatin1(fields.frame)) : nullptr;
    return frame ? *frame : window;
}

void setUpControl(QWidget& control, const ControlFields& fields) {
    const QString caption = QString::fromUtf8(fields.caption);
    control.setObjectName(QString::fromLatin1(fields.name));
    control.setAccessibleName(fields.accessibleName ? QString::fromUtf8(fields.accessibleName)
                                                    : withoutAccessKey(caption));
    control.setToolTip(QString::fromUtf8(fields.toolTip));
    control.setFont(fields.lettering.points > 0 ? letteringFont(fields.lettering)
                    : isBox(control)            ? textBoxFont()
                                                : defaultFont());
    putCaption(control, caption, fields);
    place(&control, fields.at);
    // A label grows to the right when its text would be cut off, since the stand-in fonts are a little wider than
    // the ones the layout was drawn for.
    if (auto* label = qobject_cast<QLabel*>(&control); label && label->sizeHint().width() > label->width())
        label->resize(label->sizeHint().width(), label->height());
}

void linkControls(QWidget& window, const std::vector<std::pair<QWidget*, const ControlFields*>>& made) {
    std::vector<std::pair<int, QWidget*>> focusable;
    for (const auto& [control, fields] : made) {
        // Screen readers announce a box together with the label that names it.
        if (auto* label = qobject_cast<QLabel*>(control); label && fields->labelFor)
            label->setBuddy(window.findChild<QWidget*>(QString::fromLatin1(fields->labelFor)));
        if (control->focusPolicy() & Qt::TabFocus)
            focusable.emplace_back(fields->tabIndex, control);
    }
    std::stable_sort(focusable.begin(), focusable.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < focusable.size(); ++i)
        QWidget::setTabOrder(focusable[i - 1].second, focusable[i].second);
}

} // namespace qb::app

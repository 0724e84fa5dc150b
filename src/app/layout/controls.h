#pragma once
// A window's controls as one table of data, and the builder that makes the window's controls from it: each control
// gets its object name, a name for screen readers, its caption or first text, tool tip, font, length limit, place in
// twips and place in the tab order. The window's own code then adds only what no table row says.

#include <QFont>
#include <QString>
#include <span>
#include <variant>
#include <vector>

#include "app/layout/twips.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace qb::app {

class LimitedTextEdit;

/** The system's 8.25-point sans-serif font: the default of every window. */
QFont defaultFont();
/** Courier New 8.25 point, the font of the text boxes and the directory box. */
QFont textBoxFont();

/** A caption without its access-key marker, as a screen reader should say it. */
QString withoutAccessKey(const QString& caption);

/** How a label's text is set when not in the default font at its top left (the splash window's lettering). */
struct Lettering {
    double points = 0; ///< the sans-serif font at this size; 0 keeps the control's usual font
    QFont::Weight weight = QFont::Normal;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
};

/** What a table row says of its control. Positions are in twips from the top left of the window's client area, or
 *  of the frame that holds the control. */
struct ControlFields {
    const char* name = "";    ///< the object name
    const char* caption = ""; ///< a button's, label's, check box's or frame's caption with its "&", a box's first text
    const char* toolTip = "";
    TwipsRect at;
    int tabIndex = -1;                    ///< its place in the tab order; labels and frames keep theirs, take no focus
    int limit = 0;                        ///< the most characters a box takes from the user; 0 for no limit of its own
    const char* frame = nullptr;          ///< the object name of the frame that holds it; null for the window
    const char* accessibleName = nullptr; ///< what a screen reader calls it, when that is not its caption
    const char* labelFor = nullptr;       ///< for a label: the object name of the box it names
    Lettering lettering = {};
};

/** Where a row's control is kept in its window: a member of the window's struct of controls, whose type says what
 *  kind of control the row makes. */
template <class Slots>
using ControlSlot =
    std::variant<QPushButton * Slots::*, QLabel * Slots::*, QLineEdit * Slots::*, LimitedTextEdit * Slots::*,
                 QComboBox * Slots::*, QCheckBox * Slots::*, QGroupBox * Slots::*, QFrame * Slots::*>;

/** One control of a window's table. */
template <class Slots> struct ControlRow {
    ControlSlot<Slots> slot;
    ControlFields control;
};

/** The window, or the frame of the window that the row names; a frame is made before the controls it holds. */
QWidget& containerOf(QWidget& window, const ControlFields& fields);

/** Makes a control of the kind its slot holds in a container, keeps it in the slot and returns it; made for each
 *  kind of control a slot can hold. */
template <class Kind> QWidget* makeControl(Kind*& slot, QWidget& container);

/** Gives a made control what its row says. */
void setUpControl(QWidget& control, const ControlFields& fields);

/** Links each label to the box it names and chains the controls that take the focus in the order of their tab
 *  indices. */
void linkControls(QWidget& window, const std::vector<std::pair<QWidget*, const ControlFields*>>& made);

/** Makes the controls of a table in a window, in the order of the table, and keeps each in its slot. */
template <class Slots> void buildControls(QWidget& window, Slots& kept, std::span<const ControlRow<Slots>> table) {
    std::vector<std::pair<QWidget*, const ControlFields*>> made;
    for (const ControlRow<Slots>& row : table) {
        QWidget& container = containerOf(window, row.control);
        QWidget* control = std::visit([&](auto member) { return makeControl(kept.*member, container); }, row.slot);
        setUpControl(*control, row.control);
        made.emplace_back(control, &row.control);
    }
    linkControls(window, made);
}

} // namespace qb::app

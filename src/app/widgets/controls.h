#pragma once
// Small factories for the windows' controls: each gets its object name, a name for screen readers, its tool tip,
// its font and its place in twips, so the window code reads like the table of its controls.

#include <QFont>
#include <QString>

#include "app/widgets/twips.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace qb::app {

/** The system's 8.25-point sans-serif font: the default of every window. */
QFont defaultFont();
/** Courier New 8.25 point, the font of the text boxes and the directory box. */
QFont textBoxFont();
/** Arial at a point size, bold or not; the splash window's lettering. */
QFont arialFont(double points, bool bold);

/** A caption without its access-key marker, as a screen reader should say it. */
QString withoutAccessKey(const QString& caption);

/** Names a control (object name and accessible name), gives it its tool tip and puts it in place. */
void setUpControl(QWidget* control, const char* name, const QString& accessibleName, const QString& toolTip,
                  const TwipsRect& at);

/** A push button; Enter presses it while it has the focus, as the space bar does. */
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QString& toolTip,
                        const TwipsRect& at);

/** A label in a font; it never takes the focus, and it grows to the right when its text would be cut off, since
 *  the stand-in fonts are a little wider than the ones the layout was drawn for. */
QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, const TwipsRect& at,
                  const QFont& font = defaultFont());

/** A one-line text box in the text box font; maxLength 0 means no limit beyond Qt's own. */
QLineEdit* makeLineEdit(QWidget* parent, const char* name, const QString& accessibleName, const QString& toolTip,
                        const TwipsRect& at, int maxLength = 0);

/** A check box with its caption. */
QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption, const QString& toolTip,
                        const TwipsRect& at);

} // namespace qb::app

#pragma once
// The about window.

#include <QWidget>
#include <span>

#include "app/layout/controls.h"

class QLabel;
class QPushButton;

namespace qb::app {

/** The about window, shown by "About the author" beside the main window. */
class AboutWindow : public QWidget {
    Q_OBJECT
public:
    AboutWindow();
    ~AboutWindow() override;

    /** The table the controls are built from. */
    static std::span<const ControlRow<AboutWindow>> controlTable();

    QLabel* picture;    ///< the picture
    QLabel* creditLine; ///< product, version and credit
    QLabel* summaryLine;
    QLabel* licenceLine;
    QLabel* contactLine;
    QLabel* bugsLine;
    QPushButton* returnButton; ///< "Click here to return to the program"

signals:
    /** "Click here to return to the program": the owner brings the main window to the front and unloads this one. */
    void returned();
};

} // namespace qb::app

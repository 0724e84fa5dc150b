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

    /** The controls, for tests. */
    struct Controls {
        QLabel* picture = nullptr;    ///< the picture
        QLabel* creditLine = nullptr; ///< product, version and credit
        QLabel* summaryLine = nullptr;
        QLabel* licenceLine = nullptr;
        QLabel* contactLine = nullptr;
        QLabel* bugsLine = nullptr;
        QPushButton* returnButton = nullptr; ///< "Click here to return to the program"
    };

    /** The table the controls are built from. */
    static std::span<const ControlRow<Controls>> controlTable();
    /** The controls, for tests. */
    const Controls& controls() const { return ui_; }

signals:
    /** "Click here to return to the program": the owner brings the main window to the front and unloads this one. */
    void returned();

private:
    Controls ui_;
};

} // namespace qb::app

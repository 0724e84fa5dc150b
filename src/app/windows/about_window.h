#pragma once
// The about window.

#include <QWidget>

class QLabel;
class QPushButton;

namespace qb::app {

class MainWindow;

/** The about window, shown by "About the author" beside the main window. */
class AboutWindow : public QWidget {
    Q_OBJECT
public:
    explicit AboutWindow(MainWindow& mainWindow);
    ~AboutWindow() override;

    QLabel* picture;    ///< the picture
    QLabel* creditLine; ///< product, version and credit
    QLabel* summaryLine;
    QLabel* licenceLine;
    QLabel* contactLine;
    QLabel* bugsLine;
    QPushButton* returnButton; ///< "Click here to return to the program"

    /** Return: bring the main window to the front and unload this window. */
    void returnToProgram();

private:
    MainWindow& mainWindow_;
};

} // namespace qb::app

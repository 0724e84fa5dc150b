#pragma once
// The about window.

#include <QWidget>

class QLabel;
class QPushButton;

namespace qb::app {

class Form1;

/** The about window, shown by "About the author" beside the main window. */
class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(Form1& mainWindow);
    ~Form3() override;

    QLabel* Image1; ///< the picture
    QLabel* Label1; ///< product, version and credit
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QPushButton* Command1; ///< "Click here to return to the program"

    /** Return: bring the main window to the front and unload this window. */
    void Command1_Click();

private:
    Form1& mainWindow_;
};

} // namespace qb::app

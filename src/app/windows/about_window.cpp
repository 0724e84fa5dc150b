// The about window: a picture, five lines about the program and a button back to the main window.

#include "app/windows/about_window.h"

#include <QLabel>
#include <QPushButton>

#include "app/widgets/controls.h"
#include "app/widgets/pictures.h"

namespace qb::app {

AboutWindow::AboutWindow() {
    setObjectName(QStringLiteral("AboutWindow"));
    setWindowTitle(QStringLiteral("Quillbox 1.2 - The author:"));
    setFont(defaultFont());

    picture = new QLabel(this);
    picture->setPixmap(aboutPicture());
    picture->setScaledContents(true);
    setUpControl(picture, "picture", QStringLiteral("A quill writing a note over an open box of notes"), QString(),
                 {120, 120, 4080, 3000});

    creditLine = makeLabel(this, "creditLine", QStringLiteral("Quillbox 1.2 - Quillbox for Linux contributors, 2026"),
                           {120, 3360, 4215, 255});
    summaryLine = makeLabel(this, "summaryLine", QStringLiteral("Notes with reminders, one small text file each."),
                            {120, 3720, 4215, 255});
    licenceLine = makeLabel(this, "licenceLine", QStringLiteral("Free software: share it, study it, improve it."),
                            {120, 3960, 4215, 255});
    contactLine = makeLabel(this, "contactLine", QStringLiteral("How to reach the project: see the README"),
                            {120, 4320, 4215, 255});
    bugsLine = makeLabel(this, "bugsLine", QStringLiteral("Bugs and wishes: the project's issue tracker"),
                         {120, 4560, 4215, 255});

    returnButton = makeButton(this, "returnButton", QStringLiteral("Click here to return to the program"), QString(),
                              {120, 5400, 3135, 615});
    connect(returnButton, &QPushButton::clicked, this, &AboutWindow::returned);

    sizeAndCentre(this, 4455, 6225);
}

AboutWindow::~AboutWindow() = default;

} // namespace qb::app

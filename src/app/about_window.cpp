// The about window: a picture, five lines about the program and a button back to the main window.

#include "app/about_window.h"

#include <QLabel>
#include <QPushButton>

#include "app/controls.h"
#include "app/main_window.h"
#include "app/pictures.h"

namespace qb::app {

Form3::Form3(Form1& mainWindow) : mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Quillbox 1.2 - The author:"));
    setFont(defaultFont());

    Image1 = new QLabel(this);
    Image1->setPixmap(aboutPicture());
    Image1->setScaledContents(true);
    setUpControl(Image1, "Image1", QStringLiteral("A quill writing a note over an open box of notes"), QString(),
                 {120, 120, 4080, 3000});

    Label1 = makeLabel(this, "Label1", QStringLiteral("Quillbox 1.2 - Quillbox for Linux contributors, 2026"),
                       {120, 3360, 4215, 255});
    Label2 = makeLabel(this, "Label2", QStringLiteral("Notes with reminders, one small text file each."),
                       {120, 3720, 4215, 255});
    Label3 = makeLabel(this, "Label3", QStringLiteral("Free software: share it, study it, improve it."),
                       {120, 3960, 4215, 255});
    Label4 =
        makeLabel(this, "Label4", QStringLiteral("How to reach the project: see the README"), {120, 4320, 4215, 255});
    Label5 = makeLabel(this, "Label5", QStringLiteral("Bugs and wishes: the project's issue tracker"),
                       {120, 4560, 4215, 255});

    Command1 = makeButton(this, "Command1", QStringLiteral("Click here to return to the program"), QString(),
                          {120, 5400, 3135, 615});
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);

    sizeAndCentre(this, 4455, 6225);
}

Form3::~Form3() = default;

void Form3::Command1_Click() {
    mainWindow_.show();
    mainWindow_.raise();
    mainWindow_.activateWindow();
    mainWindow_.unloadForm3();
}

} // namespace qb::app

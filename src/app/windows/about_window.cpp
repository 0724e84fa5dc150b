// The about window: a picture, five lines about the program and a button back to the main window.

#include "app/windows/about_window.h"

#include <QLabel>
#include <QPushButton>

#include "app/layout/controls.h"
#include "app/pictures/pictures.h"

namespace qb::app {

namespace {

using Controls = AboutWindow::Controls;

// The picture, five lines about the program below it and the button back.
constexpr ControlRow<Controls> kControls[] = {
    {&Controls::picture,
     {.name = "picture",
      .at = {120, 120, 4080, 3000},
      .accessibleName = "A quill writing a note over an open box of notes"}},
    {&Controls::creditLine,
     {.name = "creditLine",
      .caption = "Quillbox 1.2 - Quillbox for Linux contributors, 2026",
      .at = {120, 3360, 4215, 240}}},
    {&Controls::summaryLine,
     {.name = "summaryLine",
      .caption = "Notes with reminders, one small text file each.",
      .at = {120, 3720, 4215, 240}}},
    {&Controls::licenceLine,
     {.name = "licenceLine",
      .caption = "Free software: share it, study it, improve it.",
      .at = {120, 3960, 4215, 240}}},
    {&Controls::contactLine,
     {.name = "contactLine", .caption = "How to reach the project: see the README", .at = {120, 4320, 4215, 240}}},
    {&Controls::bugsLine,
     {.name = "bugsLine", .caption = "Bugs and wishes: the project's issue tracker", .at = {120, 4560, 4215, 240}}},
    {&Controls::returnButton,
     {.name = "returnButton",
      .caption = "Click here to return to the program",
      .at = {120, 5400, 3135, 615},
      .tabIndex = 0}},
};

} // namespace

AboutWindow::AboutWindow() {
    setObjectName(QStringLiteral("AboutWindow"));
    setWindowTitle(QStringLiteral("Quillbox 1.2 - The author:"));
    setFont(defaultFont());
    buildControls(*this, ui_, controlTable());
    ui_.picture->setPixmap(aboutPicture());
    ui_.picture->setScaledContents(true);
    connect(ui_.returnButton, &QPushButton::clicked, this, &AboutWindow::returned);
    sizeAndCentre(this, 4455, 6225);
}

AboutWindow::~AboutWindow() = default;

std::span<const ControlRow<AboutWindow::Controls>> AboutWindow::controlTable() {
    return kControls;
}

} // namespace qb::app

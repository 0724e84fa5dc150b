#pragma once
// The program's pictures, drawn in code: a quill over a box of notes.

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace qb::app {

/** The splash window's logo, 320 by 200 pixels. */
QPixmap splashLogo();

/** The about window's picture: the box of notes on a desk with a reminder calendar, 408 by 300 pixels. */
QPixmap aboutPicture();

/** The application icon, size pixels square; drawn without a window system. */
QImage applicationIconImage(int size);

/** The application icon at the usual sizes. */
QIcon applicationIcon();

} // namespace qb::app

#include "app/services/program_exit.h"

#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace qb::app {

void ProcessExit::endNow() {
    // A thread held in a read of a folder that never answers (a network share gone away) keeps the process, and with
    // it the connection to the display, until the read returns: the windows go first, so the user sees the program
    // end at once. sync() sends the display what is queued and waits until it has been done.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QApplication::sync();
    // Every file the program writes is already on disk (safe writes), so nothing is lost by leaving now; no thread
    // is waited for.
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace qb::app

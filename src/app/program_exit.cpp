#include "app/program_exit.h"

#include <QApplication>
#include <cstdlib>

namespace qb::app {

void ProcessExit::endNow() {
    // Every file the program writes is already on disk (safe writes), so nothing is lost by leaving now.
    QApplication::closeAllWindows();
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace qb::app

#include "app/application.h"

#include <QApplication>

namespace qb::app {

int runQuillbox(int argc, char** argv) {
    QApplication app(argc, argv);
    return app.exec();
}

} // namespace qb::app

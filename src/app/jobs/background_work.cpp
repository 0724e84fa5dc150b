#include "app/jobs/background_work.h"

#include <QEventLoop>
#include <QMetaObject>
#include <thread>

namespace qb::app {

void runBesideEventLoop(const std::function<void()>& work) {
    QEventLoop loop;
    std::thread worker([&] {
        work();
        // Queued: it takes effect once the loop runs, also when the work ends before the loop has started.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
}

} // namespace qb::app

// Loaded into the real program with LD_PRELOAD by the end-to-end tests, so the program runs unchanged: once the
// top-level window named QUILLBOX_PROBE_WINDOW is visible, writes the text of its multi-line box
// QUILLBOX_PROBE_CONTROL to the file QUILLBOX_PROBE_OUT and ends the event loop. Without QUILLBOX_PROBE_CONTROL it
// writes the window's title instead, which tells that the window came up. Gives up after 60 seconds.

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QTimer>

namespace {

void writeAndQuit(const QString& text) {
    QFile out(qEnvironmentVariable("QUILLBOX_PROBE_OUT"));
    if (out.open(QIODevice::WriteOnly))
        out.write(text.toUtf8());
    out.close();
    QCoreApplication::exit(0);
}

void startProbe() {
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [waited = 0]() mutable {
        const QString window = qEnvironmentVariable("QUILLBOX_PROBE_WINDOW");
        const QString control = qEnvironmentVariable("QUILLBOX_PROBE_CONTROL");
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() != window || !top->isVisible())
                continue;
            if (control.isEmpty())
                return writeAndQuit(top->windowTitle());
            if (auto* box = top->findChild<QPlainTextEdit*>(control))
                return writeAndQuit(box->toPlainText());
        }
        if (++waited > 600)
            QCoreApplication::exit(3);
    });
    timer->start(100);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startProbe)

#include "app/application.h"

#include <QApplication>
#include <QFont>
#include <QMessageBox>
#include <memory>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/pictures.h"
#include "app/program_exit.h"
#include "app/qt_dialogs.h"
#include "app/qt_printer.h"
#include "app/remind_command.h"
#include "app/services.h"
#include "app/splash_window.h"
#include "platform/clock.h"
#include "platform/drive_map.h"

namespace qb::app {

int runQuillbox(int argc, char** argv) {
    // The command line is read before the window system is touched, so --help and --version work without a display.
    const CommandLine commandLine = parseCommandLine(argumentsOf(argc, argv));
    if (commandLine.action == CommandLine::Action::Remind)
        return runRemindCommand(commandLine, argv);
    if (commandLine.action != CommandLine::Action::Run)
        return answerWithoutRunning(commandLine);

    int qtArgc = 1; // every argument was the program's own: Qt sees only the program's name
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("quillbox"));
    QApplication::setDesktopFileName(QStringLiteral("quillbox"));
    QApplication::setWindowIcon(applicationIcon());
    // The program ends only through its own exits: Exit, the main window's frame, the password prompt, the splash.
    QApplication::setQuitOnLastWindowClosed(false);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    QApplication::setFont(font);

    platform::DriveMap drives(driveHome(commandLine), platform::DriveMap::currentWorkingDirectory());
    if (!drives.ensureDriveC())
        QMessageBox::warning(nullptr, QStringLiteral("Quillbox"),
                             QStringLiteral("The folder %1 cannot be created, so drive C: is not available.")
                                 .arg(QString::fromStdString(drives.home() + "/drive_c")));
    platform::SystemClock clock;
    QtDialogs dialogs;
    QtPrinter printer(QString::fromStdString(drives.home() + "/printouts"), clock);
    ProcessExit exit;
    Services services{drives, clock, dialogs, printer, exit};

    std::unique_ptr<MainWindow> mainWindow;
    SplashWindow splash(
        [&] {
            mainWindow = std::make_unique<MainWindow>(services);
            mainWindow->startUp();
        },
        exit);
    splash.show();
    return app.exec();
}

} // namespace qb::app

#include "app/application.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <cstdio>
#include <memory>

#include "app/command_line.h"
#include "app/layout/controls.h"
#include "app/pictures/pictures.h"
#include "app/remind_command.h"
#include "app/search_service/search_service.h"
#include "app/services/program_exit.h"
#include "app/services/qt_dialogs.h"
#include "app/services/qt_printer.h"
#include "app/services/services.h"
#include "app/text/text_codec.h"
#include "app/windows/main_window/main_window.h"
#include "app/windows/splash_window.h"
#include "platform/clock.h"
#include "platform/drive_map.h"
#include "platform/home_folder.h"

namespace qb::app {
namespace {

// A home the program must not use: says why on standard error and in a message box, and gives the exit status.
int refuseToStart(const std::string& problem) {
    const QString text = QStringLiteral("Quillbox cannot start: %1. Name another folder with --home or QUILLBOX_HOME.")
                             .arg(QString::fromLocal8Bit(problem));
    std::fprintf(stderr, "quillbox: %s\n", text.toLocal8Bit().constData());
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quillbox"), text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("HomeRefusedMessage"));
    box.exec();
    return 1;
}

// A notice as every message of the program is: one OK button, no icon.
void tellBeforeStart(const QString& text) {
    QMessageBox(QMessageBox::NoIcon, QStringLiteral("Quillbox"), text, QMessageBox::Ok).exec();
}

// The record and the search words of the command line, on the main window.
void showAsked(MainWindow& mainWindow, const CommandLine& commandLine) {
    if (!commandLine.show.isEmpty())
        mainWindow.showRecordNumber(toCp1252(commandLine.show).value_or(std::string()));
    if (!commandLine.search.isEmpty())
        mainWindow.showSearchWords(commandLine.search);
}

} // namespace

int runQuillbox(int argc, char** argv) {
    // The command line is read before the window system is touched, so --help and --version work without a display.
    const CommandLine commandLine = parseCommandLine(argumentsOf(argc, argv));
    if (commandLine.action == CommandLine::Action::Remind)
        return runRemindCommand(commandLine, argv);
    if (commandLine.action == CommandLine::Action::SearchService)
        return runSearchService(commandLine.home, argv);
    if (commandLine.action != CommandLine::Action::Run)
        return answerWithoutRunning(commandLine);

    int qtArgc = 1; // every argument was the program's own: Qt sees only the program's name
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("quillbox"));
    QApplication::setDesktopFileName(QStringLiteral("quillbox"));
    QApplication::setWindowIcon(applicationIcon());
    // The program ends only through its own exits: Exit, the main window's frame, the password prompt, the splash.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(defaultFont()); // the message boxes' and dialogs' font too

    const platform::ProgramHome home = platform::programHome(QFile::encodeName(commandLine.home).toStdString());
    if (!home.choice.ok())
        return refuseToStart(home.choice.problem);
    platform::DriveMap drives(home.choice.folder, platform::DriveMap::currentWorkingDirectory());
    if (!home.driveC)
        tellBeforeStart(QStringLiteral("The folder %1 cannot be created, so drive C: is not available.")
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
            // What the desktop's search asked for comes once the user has seen the reminders of today.
            mainWindow->afterReminderWindow([&] { showAsked(*mainWindow, commandLine); });
        },
        exit);
    splash.show();
    return app.exec();
}

} // namespace qb::app

#include "app/remind_command.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "app/pictures/pictures.h"
#include "app/services/desktop_notification.h"
#include "app/services/program_start.h"
#include "platform/clock.h"
#include "platform/descriptor.h"
#include "platform/drive_map.h"
#include "platform/home_folder.h"
#include "remind/reminder_check.h"
#include "remind/reminder_notice.h"
#include "store/settings.h"
#include "store/told_reminders.h"

namespace qb::app {
namespace {

constexpr int kIconSize = 64;

void printError(const QString& text) {
    const QByteArray line = QStringLiteral("quillbox: %1\n").arg(text).toLocal8Bit();
    (void)std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
}

// Prints the text, then lets standard output go, so that a script reading it does not wait for the notification.
bool printAndLetGo(const std::string& text) {
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
    // With standard output closed, /dev/null takes its number itself.
    platform::Descriptor nothing(::open("/dev/null", O_WRONLY | O_CLOEXEC));
    if (nothing.get() == STDOUT_FILENO)
        (void)nothing.release(); // standard output from now on
    else if (nothing.valid())
        ::dup2(nothing.get(), STDOUT_FILENO);
    if (!written)
        printError(QStringLiteral("Today's reminders could not be written to standard output."));
    return written;
}

bool openQuillbox(const CommandLine& commandLine) {
    const std::optional<QString> problem = startQuillbox(commandLine.home);
    if (problem)
        printError(QStringLiteral("Quillbox could not be started (%1).").arg(*problem));
    return !problem;
}

// The notification of the reminders not told yet today; a click on it opens Quillbox.
NotificationContent notificationOf(const remind::ReminderNotice& untold) {
    return {QStringLiteral("Quillbox"),
            QStringLiteral("quillbox"),
            applicationIconImage(kIconSize),
            QStringLiteral("quillbox"),
            QString::fromStdString(untold.summary()),
            QString::fromStdString(untold.body()),
            QStringLiteral("Open Quillbox")};
}

// Writes what was told today; a failure only means that a later run today may tell it again, so it is said and the
// run goes on.
void rememberTold(const std::string& state, const store::ToldReminders& told) {
    if (const platform::Status stored = store::storeToldReminders(state, told); !stored.ok())
        printError(QStringLiteral("What was told today could not be remembered in %1 (%2).")
                       .arg(QString::fromLocal8Bit(state.c_str()), QString::fromStdString(stored.describe())));
}

} // namespace

int runRemindCommand(const CommandLine& commandLine, char** argv) {
    // Telling reminders creates nothing, not even a missing home.
    const platform::HomeChoice home = platform::homeToRead(QFile::encodeName(commandLine.home).toStdString());
    if (!home.ok()) {
        printError(QStringLiteral("Today's reminders cannot be read: %1.").arg(QString::fromLocal8Bit(home.problem)));
        return 1;
    }
    const platform::DriveMap drives(home.folder, platform::DriveMap::currentWorkingDirectory());
    if (!store::Settings(drives).alarmFlag()) // nothing to tell, and nothing, not even the state folder, to make
        return 0;
    const platform::LocalDateTime now = platform::SystemClock().now();
    // Login and the daily timer may both run on one day: the notification names only what was not told yet today.
    // Runs that start together (at login, with the timer catching up) take turns from here on, so that a later one
    // reads what was told, and works out what is untold, only once the earlier one has told it; a wait for the turn
    // is bounded (store::TurnWait). Without a turn nothing is notified, since it might be for the second time.
    const std::string state = platform::stateFolder();
    const std::string today = remind::reminderDateOf(now);
    const store::TurnWait wait{.waiting = [] {
        printError(QStringLiteral("Waiting for another run of quillbox --remind to tell today's reminders first."));
    }};
    std::optional<store::ToldRemindersTurn> turn(std::in_place, state, wait);
    store::ToldReminders told = turn->ok() ? store::loadToldReminders(state, today) : store::ToldReminders(today);
    const remind::TodaysReminders due = remind::todaysReminders(drives, now, told);
    if (due.all.count() == 0)
        return 0;
    const bool printed = commandLine.quiet || printAndLetGo(due.all.printed());
    if (due.untold.count() == 0)
        return printed ? 0 : 1;

    int argc = 1; // Qt sees only the program's name; no window system is used
    QCoreApplication application(argc, argv);
    const std::optional<QDBusConnection> bus = desktopSessionBus();
    if (!bus) // in a terminal without a desktop, standard output is all there is
        return printed ? 0 : 1;
    if (!turn->ok()) {
        printError(QStringLiteral("Today's reminders were not notified, as what was told today cannot be kept: %1.")
                       .arg(QString::fromLocal8Bit(turn->problem().c_str())));
        return 1;
    }
    // Told once shown: a run that starts while this one still waits for the click must not tell them again.
    const auto remember = [&] {
        told.add(due.folder, due.untoldNumbers);
        rememberTold(state, told);
        turn.reset();
    };
    const NotificationResult result =
        showNotificationAndWait(*bus, notificationOf(due.untold), kNotificationWait, remember);
    if (!result.problem.isEmpty())
        printError(QStringLiteral("The notification could not be shown: %1").arg(result.problem));
    const bool started = result.end != NotificationEnd::Clicked || openQuillbox(commandLine);
    return printed && started ? 0 : 1;
}

} // namespace qb::app

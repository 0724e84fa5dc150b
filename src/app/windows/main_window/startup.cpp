// The main window's start-up procedure, exit, password and default directory handlers.

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QStringList>

#include "app/services/dialogs.h"
#include "app/services/program_exit.h"
#include "app/text/message_titles.h"
#include "app/text/text_codec.h"
#include "app/windows/main_window/input_checks.h"
#include "app/windows/main_window/main_window.h"
#include "app/windows/reminder_window.h"
#include "platform/clock.h"
#include "platform/cp1252.h"
#include "platform/drive_map.h"
#include "remind/reminder_check.h"
#include "store/directory_probe.h"
#include "store/settings.h"
#include "store/settings_leftovers.h"

namespace qb::app {
namespace {

QString settingNotStored(const platform::Status& status) {
    return QStringLiteral("The setting could not be stored (%1).").arg(QString::fromStdString(status.describe()));
}

} // namespace

void MainWindow::startUp() {
    store::removeSettingsLeftovers(services_.drives);
    const store::Settings settings(services_.drives);
    services_.dialogs.setPointer(&reminderWindow(), Pointer::Hourglass);
    unloadReminderWindow();
    ui_.dataDirectory->addItem(QString::fromLatin1(store::kProgramDefaultDirectory));
    if (const auto directory = settings.defaultDirectory()) {
        ui_.dataDirectory->addItem(fromCp1252(*directory));
        ui_.dataDirectory->setEditText(fromCp1252(*directory));
    }
    ui_.checkAlarms->setChecked(settings.alarmFlag());
    if (!askStartupPassword(settings))
        return;
    const std::pair<const char*, store::ListOwner> lists[] = {
        {store::settings_paths::kDirectoryList, store::ListOwner::Anyone},
        {store::settings_paths::kLocalDirectoryList, store::ListOwner::ThisUser}};
    for (const auto& [list, owner] : lists) {
        QStringList directories; // added at once: a list of a megabyte may hold hundreds of thousands
        for (const std::string& directory : settings.directoryList(list, owner))
            directories.append(fromCp1252(directory));
        ui_.dataDirectory->addItems(directories);
    }
    const std::string today = remind::reminderDateOf(services_.clock.now());
    if (ui_.checkAlarms->isChecked()) {
        runReminderCheck(today);
        // The results window is up from the check's first file on, which a slow folder may bring long before the
        // list is whole; meanwhile the splash or another program may have taken the focus. The user answers it now.
        reminderWindow().raise();
        reminderWindow().activateWindow();
    } else {
        show();
    }
    ensureProgramDefaultDirectory();
    services_.dialogs.setPointer(this, Pointer::Default);
}

bool MainWindow::askStartupPassword(const store::Settings& settings) {
    const std::optional<std::string> stored = settings.password();
    if (!stored) // no password file, or one that holds no password: nothing to ask
        return true;
    const std::string expected = platform::cp1252ToUpper(*stored);
    for (;;) {
        const QString answer = services_.dialogs.inputBox(this, QStringLiteral("Please enter your password"),
                                                          QStringLiteral("(Quillbox)  Attention - password required"),
                                                          QStringLiteral("Enter your password here"));
        if (answer.isEmpty()) {
            services_.exit.endNow();
            return false;
        }
        const std::optional<std::string> typed = toCp1252(answer);
        if (typed && platform::cp1252ToUpper(*typed) == expected)
            return true;
    }
}

void MainWindow::ensureProgramDefaultDirectory() {
    store::ensureDataDirectory(services_.drives, store::kProgramDefaultDirectory);
}

void MainWindow::exitProgram() {
    const store::Settings settings(services_.drives);
    if (const platform::Status stored = settings.storeAlarmFlag(ui_.checkAlarms->isChecked()); !stored.ok())
        services_.dialogs.message(this, settingNotStored(stored), titles::kAttention);
    services_.exit.endNow();
}

void MainWindow::changePassword() {
    const store::Settings settings(services_.drives);
    for (;;) {
        const QString first =
            services_.dialogs.inputBox(this, QStringLiteral("Enter a P/W & click OK, or click Cancel for no P/W."),
                                       QStringLiteral("Please enter a new password below"), QString());
        if (first.isEmpty()) {
            if (const platform::Status deleted = settings.deletePassword(); !deleted.ok()) {
                services_.dialogs.message(this, settingNotStored(deleted), titles::kAttention);
                return;
            }
            services_.dialogs.message(this, QStringLiteral("Password was deleted!"), titles::kAttention);
            return;
        }
        const QString again = QStringLiteral("Enter your new password again to confirm");
        const QString confirmation = services_.dialogs.inputBox(this, again, again, QString());
        if (confirmation != first) {
            services_.dialogs.message(this,
                                      QStringLiteral("The new password did not match the confirming password.  You "
                                                     "will be asked to re-enter them."),
                                      titles::kAttention);
            continue;
        }
        const std::optional<std::string> password = toCp1252(first);
        std::optional<QString> problem;
        if (!password)
            problem = unstorableTextMessage(first);
        else if (const auto why = store::passwordProblem(*password))
            problem = QStringLiteral("This password cannot be used: %1. Please choose another one.")
                          .arg(QString::fromStdString(*why));
        if (problem) {
            services_.dialogs.message(this, *problem, titles::kAttention);
            continue;
        }
        if (const platform::Status stored = settings.setPassword(*password); !stored.ok()) {
            services_.dialogs.message(this, settingNotStored(stored), titles::kAttention);
            return;
        }
        services_.dialogs.message(this, QStringLiteral("The new password has been saved!"), titles::kPasswordSaved);
        return;
    }
}

void MainWindow::setDefaultDirectory() {
    if (ui_.dataDirectory->currentText().isEmpty())
        return;
    const std::optional<std::string> directory = dataDirectoryOf(*this);
    if (!directory) {
        services_.dialogs.message(this, unstorableTextMessage(ui_.dataDirectory->currentText()), titles::kAttention);
        return;
    }
    if (const platform::Status stored = store::Settings(services_.drives).setDefaultDirectory(*directory);
        !stored.ok()) {
        services_.dialogs.message(this, settingNotStored(stored), titles::kAttention);
        return;
    }
    services_.dialogs.message(this, QStringLiteral("New default directory set!"), titles::kAttention);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    services_.exit.endNow();
}

} // namespace qb::app

#include "app/search_service/search_service.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "app/search_service/gnome_search_provider.h"
#include "app/search_service/krunner_runner.h"
#include "app/services/desktop_notification.h"
#include "app/services/program_start.h"
#include "app/text/text_codec.h"
#include "platform/home_folder.h"

namespace qb::app {
namespace {

// The service says nothing of what it finds; only why it cannot run, or cannot start Quillbox.
void printError(const QString& text) {
    const QByteArray line = QStringLiteral("quillbox: %1\n").arg(text).toLocal8Bit();
    (void)std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
}

// How many notes of past answers are kept for the desktops' questions about them: a few screens of questions.
constexpr qsizetype kMostKeptNotes = 1000;

} // namespace

SearchService::SearchService(const QDBusConnection& bus, const platform::DriveMap& drives, QString home)
    : bus_(bus), home_(std::move(home)), finder_(drives) {
    idle_.setSingleShot(true);
    idle_.setInterval(kSearchServiceIdle);
    connect(&idle_, &QTimer::timeout, qApp, &QCoreApplication::quit);
    idle_.start();
}

void SearchService::stayAwake() {
    idle_.start();
}

void SearchService::ask(const QString& words, const QDBusMessage& message, const Replier& replier) {
    stayAwake();
    message.setDelayedReply(true);
    // Words that the code page cannot hold are in no record, as the program's search would say.
    const std::optional<std::string> typed = toCp1252(words);
    if (!typed) {
        answered(message, replier, {});
        return;
    }
    finder_.ask(*typed, [this, message, replier](finder::Answer answer) {
        QMetaObject::invokeMethod(
            this, [this, message, replier, answer = std::move(answer)] { answered(message, replier, answer); },
            Qt::QueuedConnection);
    });
}

void SearchService::answered(const QDBusMessage& message, const Replier& replier, const finder::Answer& answer) {
    QList<ShownNote> shown;
    if (answer.kind == finder::Answer::Kind::Locked)
        shown.append({kLockedId, QStringLiteral("Quillbox is locked by its start-up password"),
                      QStringLiteral("Open Quillbox")});
    for (const finder::Note& note : answer.notes)
        shown.append({fromCp1252(note.number), fromCp1252(note.name), fromCp1252(note.description)});
    if (notes_.size() > kMostKeptNotes)
        notes_.clear();
    for (const ShownNote& note : shown)
        notes_.insert(note.id, note);
    (void)bus_.send(message.createReply(replier(shown)));
}

std::optional<ShownNote> SearchService::note(const QString& id) {
    stayAwake();
    const auto found = notes_.constFind(id);
    return found == notes_.cend() ? std::nullopt : std::optional(*found);
}

void SearchService::open(const QString& id) {
    // A result shown before the service last ended is no longer among the notes: Quillbox finds its record itself.
    start(id == kLockedId ? QStringList{} : QStringList{QStringLiteral("--show=") + id});
}

void SearchService::launchSearch(const QString& words) {
    start({QStringLiteral("--search=") + words});
}

void SearchService::start(const QStringList& arguments) {
    stayAwake();
    if (const std::optional<QString> problem = startQuillbox(home_, arguments))
        printError(QStringLiteral("Quillbox could not be started (%1).").arg(*problem));
}

int runSearchService(const QString& home, char** argv) {
    // Searching creates nothing, not even a missing home.
    const platform::HomeChoice folder = platform::homeToRead(QFile::encodeName(home).toStdString());
    if (!folder.ok()) {
        printError(
            QStringLiteral("The desktop's search cannot be answered: %1.").arg(QString::fromLocal8Bit(folder.problem)));
        return 1;
    }
    int argc = 1; // Qt sees only the program's name; no window system is used
    QCoreApplication application(argc, argv);
    const std::optional<QDBusConnection> bus = desktopSessionBus();
    if (!bus) {
        printError(QStringLiteral("The desktop's search cannot be answered: there is no session bus."));
        return 1;
    }
    SearchService service(*bus, platform::DriveMap(folder.folder, platform::DriveMap::currentWorkingDirectory()), home);
    new GnomeSearchProvider(service);
    new KRunnerRunner(service);
    QDBusConnection connection = *bus;
    if (!connection.registerObject(kSearchObjectPath, &service, QDBusConnection::ExportAdaptors) ||
        !connection.registerService(kSearchBusName)) {
        printError(QStringLiteral("The desktop's search cannot be answered: %1 is taken (%2).")
                       .arg(kSearchBusName, connection.lastError().message()));
        return 1;
    }
    return QCoreApplication::exec();
}

} // namespace qb::app

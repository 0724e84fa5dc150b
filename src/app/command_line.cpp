#include "app/command_line.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <cstdio>

namespace qb::app {
namespace {

const QString kProgram = QStringLiteral("quillbox");

QString helpText(const QCommandLineParser& parser) {
    // The parser learns the program's name from the application object, which does not exist yet: the command line
    // is read before the window system is touched.
    return parser.helpText().replace(QStringLiteral("<executable_name>"), kProgram);
}

CommandLine refuse(const QString& reason, const QCommandLineParser& parser) {
    return {CommandLine::Action::Refuse,
            {},
            kProgram + QStringLiteral(": ") + reason + QLatin1Char('\n') + helpText(parser)};
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Short notes with reminder dates, each a small text file in a data folder.\n"
                       "Without options Quillbox opens its windows."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption home(QStringLiteral("home"),
                                  QStringLiteral("Keep the drive folders (drive_c for drive C: and so on) in DIR; "
                                                 "this wins over QUILLBOX_HOME."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption remind(
        QStringLiteral("remind"),
        QStringLiteral(
            "Tell the records due today without opening a window, when Check alarms is on: as a desktop "
            "notification that opens Quillbox when clicked, and on standard output (but with --quiet). Exit once the "
            "notification is closed, or at once when nothing is due. Each reminder is notified once a day. The "
            "package installs a login entry and a daily timer that run it at login and every day at 08:00, "
            "caught up after a suspend. Move the time with 'systemctl --user edit quillbox-remind.timer'; turn it "
            "off with 'systemctl --user mask --now quillbox-remind.timer', or untick Check alarms."));
    const QCommandLineOption quiet(
        QStringLiteral("quiet"),
        QStringLiteral("With --remind: notify only, and print nothing. The package's login entry and daily timer "
                       "run 'quillbox --remind --quiet', since whatever they print goes to the system's logs."));
    const QCommandLineOption searchService(
        QStringLiteral("search-service"),
        QStringLiteral("Answer the desktop's search (the GNOME Shell overview, KRunner) on the session bus, until a "
                       "minute passes without a question. The desktop starts it when it needs it."));
    const QCommandLineOption show(QStringLiteral("show"),
                                  QStringLiteral("Once started, show the record NUMBER of the data folder, as a "
                                                 "search shows what it finds."),
                                  QStringLiteral("NUMBER"));
    const QCommandLineOption search(QStringLiteral("search"),
                                    QStringLiteral("Once started, put WORDS into the first search box."),
                                    QStringLiteral("WORDS"));
    parser.addOptions({help, version, remind, quiet, searchService, show, search, home});

    if (!parser.parse(arguments))
        return refuse(parser.errorText(), parser);
    if (const QStringList stray = parser.positionalArguments(); !stray.isEmpty())
        return refuse(QStringLiteral("Unexpected argument '%1'.").arg(stray.first()), parser);
    if (parser.isSet(help))
        return {CommandLine::Action::Answer, {}, helpText(parser)};
    if (parser.isSet(version))
        return {CommandLine::Action::Answer, {}, kProgram + QStringLiteral(" " QUILLBOX_VERSION "\n")};
    CommandLine commandLine;
    if (parser.isSet(remind))
        commandLine.action = CommandLine::Action::Remind;
    if (parser.isSet(quiet) && !parser.isSet(remind))
        return refuse(QStringLiteral("'--quiet' goes with '--remind'."), parser);
    commandLine.quiet = parser.isSet(quiet);
    if (parser.isSet(searchService) && parser.isSet(remind))
        return refuse(QStringLiteral("'--remind' and '--search-service' do not go together."), parser);
    if (parser.isSet(searchService))
        commandLine.action = CommandLine::Action::SearchService;
    if ((parser.isSet(show) || parser.isSet(search)) && commandLine.action != CommandLine::Action::Run)
        return refuse(QStringLiteral("'--show' and '--search' go with starting the windows only."), parser);
    commandLine.show = parser.value(show);
    commandLine.search = parser.value(search);
    if (parser.isSet(show) && commandLine.show.isEmpty())
        return refuse(QStringLiteral("The record number after '--show' is empty."), parser);
    if (parser.isSet(home)) {
        const QString folder = parser.value(home);
        if (folder.isEmpty())
            return refuse(QStringLiteral("The folder after '--home' is empty."), parser);
        commandLine.home = QDir::cleanPath(QDir::current().absoluteFilePath(folder));
    }
    return commandLine;
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    return arguments;
}

int answerWithoutRunning(const CommandLine& commandLine) {
    const bool refused = commandLine.action == CommandLine::Action::Refuse;
    std::FILE* stream = refused ? stderr : stdout;
    const QByteArray text = commandLine.text.toLocal8Bit();
    const bool written = std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stream) ==
                             static_cast<std::size_t>(text.size()) &&
                         std::fflush(stream) == 0;
    if (refused)
        return 2;
    // Help or version text that could not be written (to a full disk, say) is a failure, as with any other tool.
    return written ? 0 : 1;
}

} // namespace qb::app

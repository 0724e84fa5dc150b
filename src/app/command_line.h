#pragma once
// The program's command line: --help, --version, --remind [--quiet], --search-service, --show NUMBER, --search
// WORDS and --home DIR. It is read before any window system
// is touched, so the answers to --help and --version also work without a display.

#include <QString>
#include <QStringList>
#include <string>

namespace qb::app {

/** What the command line asks for. */
struct CommandLine {
    /** What the program does next. */
    enum class Action {
        Run,           ///< start the program
        Remind,        ///< tell today's reminders without a window (--remind)
        SearchService, ///< answer the desktop's search on the session bus (--search-service)
        Answer,        ///< print text to standard output and end with status 0 (--help, --version)
        Refuse,        ///< print text to standard error and end with status 2 (an unknown option, a stray argument)
    };

    Action action = Action::Run;
    /** The folder that holds the drive folders, from --home, made absolute; empty when the option is not given. */
    QString home;
    /** What to print when the program does not run: the help, the version, or an error line followed by the usage. */
    QString text;
    /** With --remind: notify only, print nothing (--quiet), as the login entry and the daily timer do. */
    bool quiet = false;
    /** The number of the record to show once started (--show); empty when not given. */
    QString show{};
    /** The words to put into the first search box once started (--search); empty when not given. */
    QString search{};
};

/** Reads the program's arguments, its own name first; Qt's own options are not taken. */
[[nodiscard]] CommandLine parseCommandLine(const QStringList& arguments);

/** The arguments of main() as text, each decoded as a file name. */
[[nodiscard]] QStringList argumentsOf(int argc, char** argv);

/** Prints the text of a command line that does not run the program and returns the exit status to end with. */
int answerWithoutRunning(const CommandLine& commandLine);

} // namespace qb::app

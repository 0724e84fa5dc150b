// The real executable's command line: each option and each error, run as a process without a display.

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <sys/stat.h>
#include <unistd.h>

#include "temp_dir.h"

namespace qb::test {
namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the program with no display at all (no X, no Wayland, no platform chosen), as over ssh.
Outcome runWithoutDisplay(const QStringList& arguments, const std::string& home, const QString& stdoutFile = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert("QUILLBOX_HOME", QString::fromStdString(home));
    QProcess program;
    program.setProcessEnvironment(env);
    if (!stdoutFile.isEmpty())
        program.setStandardOutputFile(stdoutFile);
    program.start(QUILLBOX_EXECUTABLE, arguments);
    if (!program.waitForFinished(20'000)) {
        program.kill();
        program.waitForFinished();
        return {};
    }
    const int code = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    return {code, QString::fromLocal8Bit(program.readAllStandardOutput()),
            QString::fromLocal8Bit(program.readAllStandardError())};
}

TEST(CommandLine, AnswersAndRefusalsNeedNoDisplayAndTouchNoDataFolder) {
    TempDir scratch;
    const std::string home = scratch / "home"; // must never be created
    const Outcome help = runWithoutDisplay({"--help"}, home);
    ASSERT_EQ(help.exitCode, 0) << help.err.toStdString();
    EXPECT_TRUE(help.out.startsWith("Usage: quillbox [options]\n")) << help.out.toStdString();
    for (const char* option : {"-h, --help", "-v, --version", "--remind", "--quiet", "--home <DIR>"})
        EXPECT_TRUE(help.out.contains(option)) << option;
    const QString version = QStringLiteral("quillbox " QUILLBOX_VERSION "\n");

    struct Case {
        QStringList arguments;
        int exitCode;
        QString out;
        QString errorLine; // empty: nothing on standard error; else this line, then the usage
    };
    const Case cases[] = {
        {{"--help"}, 0, help.out, {}},
        {{"-h"}, 0, help.out, {}},
        {{"--version"}, 0, version, {}},
        {{"-v"}, 0, version, {}},
        {{"--frob"}, 2, {}, "quillbox: Unknown option 'frob'."},
        {{"-x"}, 2, {}, "quillbox: Unknown option 'x'."},
        {{"notes.txt"}, 2, {}, "quillbox: Unexpected argument 'notes.txt'."},
        {{"--home", "a", "b"}, 2, {}, "quillbox: Unexpected argument 'b'."},
        {{"--home"}, 2, {}, "quillbox: Missing value after '--home'."},
        {{"--home", ""}, 2, {}, "quillbox: The folder after '--home' is empty."},
        {{"--version=2"}, 2, {}, "quillbox: Unexpected value after '--version'."},
        {{"--remind", "today"}, 2, {}, "quillbox: Unexpected argument 'today'."},
        {{"--remind", "--help"}, 0, help.out, {}},
        {{"--quiet"}, 2, {}, "quillbox: '--quiet' goes with '--remind'."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Outcome run = runWithoutDisplay(c.arguments, home);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.errorLine.isEmpty() ? QString() : c.errorLine + "\n" + help.out);
    }
    // Help that cannot be written is a failure, not a silent success.
    EXPECT_EQ(runWithoutDisplay({"--version"}, home, "/dev/full").exitCode, 1);
    EXPECT_FALSE(QDir(QString::fromStdString(home)).exists());
}

TEST(CommandLine, HomeOptionWinsOverTheVariableAndIsRelativeToTheWorkingFolder) {
    TempDir scratch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QUILLBOX_HOME", QString::fromStdString(scratch / "from-variable"));
    // The probe ends the program once the splash window is up; the drive folders are made before it shows.
    env.insert("LD_PRELOAD", QUILLBOX_WINDOW_PROBE);
    env.insert("QUILLBOX_PROBE_WINDOW", "SplashWindow");
    env.insert("QUILLBOX_PROBE_OUT", QString::fromStdString(scratch / "title"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(QString::fromStdString(scratch.path()));
    program.start(QUILLBOX_EXECUTABLE, {"--home", "notes"});
    ASSERT_TRUE(program.waitForFinished(60'000)) << "the program did not end";
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();

    EXPECT_EQ(listFolder(scratch / "notes"), std::vector<std::string>{"drive_c"});
    EXPECT_FALSE(QDir(QString::fromStdString(scratch / "from-variable")).exists());
}

TEST(CommandLine, AHomeOthersCouldChangeIsRefusedWithItsReasonAndLeftAlone) {
    TempDir scratch;
    const bool root = ::geteuid() == 0;
    const struct {
        std::string name;
        mode_t mode;
        uid_t owner;
        QString reason;
    } cases[] = {
        {"open-to-all", 0777, ::geteuid(), "other users may write to the folder"},
        {"open-to-its-group", 0770, ::geteuid(),
         "(its mode is 0770), so they could put files in it or swap yours; chmod go-w"},
        {"nobodys", 0755, root ? 65534 : ::geteuid(), root ? "belongs to another user (user id 65534)" : ""},
    };
    for (const auto& c : cases) {
        if (c.reason.isEmpty())
            continue; // giving a folder to another user needs root
        SCOPED_TRACE(c.name);
        const std::string home = scratch / c.name;
        ASSERT_EQ(::mkdir(home.c_str(), c.mode), 0);
        ASSERT_EQ(::chmod(home.c_str(), c.mode), 0);
        ASSERT_EQ(::chown(home.c_str(), c.owner, c.owner), 0);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QUILLBOX_HOME", QString::fromStdString(home));
        // The probe answers the message box that says why, once it is up.
        env.insert("LD_PRELOAD", QUILLBOX_WINDOW_PROBE);
        env.insert("QUILLBOX_PROBE_WINDOW", "HomeRefusedMessage");
        env.insert("QUILLBOX_PROBE_OUT", QString::fromStdString(scratch / "title"));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QUILLBOX_EXECUTABLE, {});
        ASSERT_TRUE(program.waitForFinished(60'000)) << "the program did not end";
        EXPECT_EQ(program.exitCode(), 1);
        const QString error = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_TRUE(error.contains("quillbox: Quillbox cannot start: ")) << error.toStdString();
        EXPECT_TRUE(error.contains(c.reason)) << error.toStdString();
        EXPECT_EQ(readFile(scratch / "title"), "Quillbox");
        EXPECT_TRUE(listFolder(home).empty()) << "nothing is made in a refused home";
    }
}

} // namespace
} // namespace qb::test

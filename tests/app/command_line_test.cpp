// The real executable's command line: each option and each error, run as a process without a display.

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "commands.h"
#include "temp_dir.h"

namespace qb::test {
namespace {

using harness::CommandResult;

// Runs the program with its arguments and environment changes, ended at the limit.
CommandResult runProgram(std::vector<std::string> arguments, const std::vector<std::string>& environment,
                         const std::string& folder = {}, const std::string& stdoutFile = {}) {
    arguments.insert(arguments.begin(), QUILLBOX_EXECUTABLE);
    return harness::run({.argv = arguments,
                         .environment = harness::environmentWith(environment),
                         .folder = folder,
                         .limit = std::chrono::seconds(60),
                         .errors = harness::Errors::Apart,
                         .outputFile = stdoutFile});
}

// Runs the program with no display at all (no X, no Wayland, no platform chosen), as over ssh.
CommandResult runWithoutDisplay(const std::vector<std::string>& arguments, const std::string& home,
                                const std::string& stdoutFile = {}) {
    return runProgram(arguments, {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QUILLBOX_HOME=" + home}, {},
                      stdoutFile);
}

TEST(CommandLine, AnswersAndRefusalsNeedNoDisplayAndTouchNoDataFolder) {
    TempDir scratch;
    const std::string home = scratch / "home"; // must never be created
    const CommandResult help = runWithoutDisplay({"--help"}, home);
    ASSERT_EQ(help.status, 0) << help.errors;
    EXPECT_TRUE(help.output.starts_with("Usage: quillbox [options]\n")) << help.output;
    for (const char* option : {"-h, --help", "-v, --version", "--remind", "--quiet", "--home <DIR>", "--search-service",
                               "--show <NUMBER>", "--search <WORDS>"})
        EXPECT_NE(help.output.find(option), std::string::npos) << option;
    const std::string version = "quillbox " QUILLBOX_VERSION "\n";

    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string out;
        std::string errorLine; // empty: nothing on standard error; else this line, then the usage
    };
    const Case cases[] = {
        {{"--help"}, 0, help.output, {}},
        {{"-h"}, 0, help.output, {}},
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
        {{"--remind", "--help"}, 0, help.output, {}},
        {{"--quiet"}, 2, {}, "quillbox: '--quiet' goes with '--remind'."},
        {{"--search-service", "--remind"}, 2, {}, "quillbox: '--remind' and '--search-service' do not go together."},
        {{"--remind", "--show", "1"}, 2, {}, "quillbox: '--show' and '--search' go with starting the windows only."},
        {{"--search-service", "--search", "a"},
         2,
         {},
         "quillbox: '--show' and '--search' go with starting the windows only."},
        {{"--show", ""}, 2, {}, "quillbox: The record number after '--show' is empty."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const CommandResult run = runWithoutDisplay(c.arguments, home);
        EXPECT_EQ(run.status, c.exitCode);
        EXPECT_EQ(run.output, c.out);
        EXPECT_EQ(run.errors, c.errorLine.empty() ? std::string() : c.errorLine + "\n" + help.output);
    }
    // Help that cannot be written is a failure, not a silent success.
    EXPECT_EQ(runWithoutDisplay({"--version"}, home, "/dev/full").status, 1);
    EXPECT_FALSE(std::filesystem::exists(home));
}

TEST(CommandLine, HomeOptionWinsOverTheVariableAndIsRelativeToTheWorkingFolder) {
    TempDir scratch;
    // The probe ends the program once the splash window is up; the drive folders are made before it shows.
    const CommandResult run =
        runProgram({"--home", "notes"},
                   {"QT_QPA_PLATFORM=offscreen", "QUILLBOX_HOME=" + (scratch / "from-variable"),
                    std::string("LD_PRELOAD=") + QUILLBOX_WINDOW_PROBE, "QUILLBOX_PROBE_WINDOW=SplashWindow",
                    "QUILLBOX_PROBE_OUT=" + (scratch / "title")},
                   scratch.path());
    ASSERT_FALSE(run.timedOut) << "the program did not end";
    EXPECT_EQ(run.status, 0) << run.errors;

    EXPECT_EQ(listFolder(scratch / "notes"), std::vector<std::string>{"drive_c"});
    EXPECT_FALSE(std::filesystem::exists(scratch / "from-variable"));
}

TEST(CommandLine, AHomeOthersCouldChangeIsRefusedWithItsReasonAndLeftAlone) {
    TempDir scratch;
    const bool root = ::geteuid() == 0;
    const struct {
        std::string name;
        mode_t mode;
        uid_t owner;
        std::string reason;
    } cases[] = {
        {"open-to-all", 0777, ::geteuid(), "other users may write to the folder"},
        {"open-to-its-group", 0770, ::geteuid(),
         "(its mode is 0770), so they could put files in it or swap yours; chmod go-w"},
        {"nobodys", 0755, root ? 65534 : ::geteuid(), root ? "belongs to another user (user id 65534)" : ""},
    };
    for (const auto& c : cases) {
        if (c.reason.empty())
            continue; // giving a folder to another user needs root
        SCOPED_TRACE(c.name);
        const std::string home = scratch / c.name;
        ASSERT_EQ(::mkdir(home.c_str(), c.mode), 0);
        ASSERT_EQ(::chmod(home.c_str(), c.mode), 0);
        ASSERT_EQ(::chown(home.c_str(), c.owner, c.owner), 0);
        // The probe answers the message box that says why, once it is up.
        const CommandResult run =
            runProgram({}, {"QT_QPA_PLATFORM=offscreen", "QUILLBOX_HOME=" + home,
                            std::string("LD_PRELOAD=") + QUILLBOX_WINDOW_PROBE,
                            "QUILLBOX_PROBE_WINDOW=HomeRefusedMessage", "QUILLBOX_PROBE_OUT=" + (scratch / "title")});
        ASSERT_FALSE(run.timedOut) << "the program did not end";
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.errors.find("quillbox: Quillbox cannot start: "), std::string::npos) << run.errors;
        EXPECT_NE(run.errors.find(c.reason), std::string::npos) << run.errors;
        EXPECT_EQ(readFile(scratch / "title"), "Quillbox");
        EXPECT_TRUE(listFolder(home).empty()) << "nothing is made in a refused home";
    }
}

} // namespace
} // namespace qb::test

// The harness that the tests and the benchmarks drive this machine's programs with: commands to their end, programs
// in the background, mount commands, and the loopback SSH server's failures and clean-up.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <unistd.h>

#include "commands.h"
#include "loopback_ssh.h"
#include "mounting.h"
#include "temp_dir.h"

namespace qb::harness {
namespace {

TEST(Harness, CommandsGiveTheirStatusAndEverythingTheyPrinted) {
    struct Case {
        std::vector<std::string> argv;
        int status;
        std::string output;
    };
    const Case cases[] = {
        {{"/bin/sh", "-c", "echo out; echo err >&2; exit 3"}, 3, "out\nerr\n"},
        {{"sh", "-c", "printf 'no line end'"}, 0, "no line end"},
        {{"/bin/sh", "-c", "echo before; kill -KILL $$"}, -1, "before\n"},
        {{"no-such-program-here"}, -1, ""},
        {{}, -1, ""},
    };
    for (const Case& c : cases) {
        const CommandResult result = run(c.argv);
        EXPECT_EQ(result.status, c.status) << c.output;
        EXPECT_EQ(result.output, c.output);
    }
    EXPECT_EQ(runShell("x=shell; echo \"$x\" words").output, "shell words\n");
    EXPECT_GE(run({"dd", "if=/dev/zero", "of=/dev/null", "bs=64M", "count=1"}).peakKiB, 64 * 1024) << "peak memory";
}

TEST(Harness, CommandsGetTheirEnvironmentFolderAndFilesAndAreKilledWithTheirGroupAtTheLimit) {
    const test::TempDir work;
    const CommandResult apart = run({.argv = {"sh", "-c", "echo \"$GREETING$HOME\"; pwd >&2; exit 4"},
                                     .environment = environmentWith({"GREETING=hi", "HOME"}),
                                     .folder = work.path(),
                                     .errors = Errors::Apart});
    EXPECT_EQ(apart.status, 4);
    EXPECT_EQ(apart.output, "hi\n");
    EXPECT_EQ(apart.errors, work.path() + "\n");
    EXPECT_EQ(run({.argv = {"sh", "-c", "echo out; echo err >&2"}, .outputFile = work / "log"}).output, "");
    EXPECT_EQ(test::readFile(work / "log"), "out\nerr\n");

    const CommandResult late =
        run({.argv = {"sh", "-c", "sleep 60 & echo $!; wait"}, .limit = std::chrono::seconds(1)});
    EXPECT_TRUE(late.timedOut);
    EXPECT_EQ(late.signal, SIGKILL);
    const pid_t sleeper = std::stoi(late.output);
    EXPECT_TRUE(waitUntil([&] { return ::kill(sleeper, 0) != 0; }, std::chrono::seconds(2))) << "its group lives on";
}

TEST(Harness, InstalledProgramsAndLastLines) {
    for (const auto& [program, expected] : {std::pair<std::string, bool>{"sh", true},
                                            {"/bin/sh", true},
                                            {"no-such-program-here", false},
                                            {"/etc/passwd", false},
                                            {"/no/such/program", false}})
        EXPECT_EQ(installed(program), expected) << program;
    for (const auto& [output, expected] : {std::pair<std::string, std::string>{"", ""},
                                           {"one", "one"},
                                           {"one\n", "one"},
                                           {"one\ntwo\n\n", "two"},
                                           {"one\n\ntwo", "two"}})
        EXPECT_EQ(lastLine(output), expected) << output;
}

TEST(Harness, WaitsUntilAConditionHoldsOrTheLimitPasses) {
    int asked = 0;
    EXPECT_TRUE(waitUntil([&] { return ++asked == 3; }));
    EXPECT_EQ(asked, 3);
    EXPECT_FALSE(waitUntil([] { return false; }, std::chrono::milliseconds(100)));
}

TEST(Harness, BackgroundProgramsLogTheirOutputAndAreStopped) {
    const test::TempDir work;
    BackgroundProcess talker({"/bin/sh", "-c", "echo out; echo err >&2; exit 3"}, work / "log");
    EXPECT_TRUE(waitUntil([&] { return !talker.running(); }));
    EXPECT_EQ(test::readFile(work / "log"), "out\nerr\n");
    EXPECT_EQ(talker.outcome().status, 3);

    BackgroundProcess sleeper({"sleep", "60"});
    EXPECT_TRUE(sleeper.running());
    sleeper.stop();
    EXPECT_FALSE(sleeper.running());
    EXPECT_EQ(sleeper.outcome().signal, SIGTERM);
    sleeper.stop(); // a second stop does nothing
    BackgroundProcess deaf({"sh", "-c", "trap '' TERM; echo deaf; while :; do sleep 0.1; done"}, work / "deaf");
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::file_size(work / "deaf") > 0; }));
    deaf.stop();
    EXPECT_EQ(deaf.outcome().signal, SIGKILL) << "three seconds after it ignored the request to end";

    EXPECT_FALSE(BackgroundProcess({"no-such-program-here"}).running());
    EXPECT_FALSE(waitUntilListening(talker, freeLoopbackPort())) << "an ended program listens nowhere";
}

TEST(Harness, AFailedMountCommandGivesItsComplaint) {
    const test::TempDir work;
    const MountResult failed =
        mountByCommand({"/bin/sh", "-c", "echo trying; echo no such device >&2; exit 32"}, work.path());
    EXPECT_FALSE(failed.mounted);
    EXPECT_EQ(failed.complaint, "no such device");
    EXPECT_TRUE(isMountPoint("/"));
    EXPECT_FALSE(isMountPoint(work.path()));
}

TEST(Harness, SshServerSaysWhyItCannotStartAndRemovesItsFolder) {
    if (::geteuid() != 0 || !installed("/usr/sbin/sshd"))
        GTEST_SKIP() << "a loopback sshd needs root and openssh-server";
    const test::TempDir work;
    const SshServer taken(work.path(), "nobody");
    EXPECT_EQ(taken.failure(), "cannot make " + work.path() + ": File exists");
    EXPECT_TRUE(std::filesystem::exists(work.path())) << "a folder it did not make stays";

    const std::string folder = work / "ssh";
    int port = 0;
    {
        const SshServer server(folder, "nobody");
        ASSERT_EQ(server.failure(), "");
        port = server.port();
        EXPECT_TRUE(acceptsConnections(port));
    }
    // The children sshd forked for the probes may hold its socket a moment longer.
    EXPECT_TRUE(waitUntil([&] { return !acceptsConnections(port); }, std::chrono::seconds(2))) << "stopped";
    EXPECT_FALSE(std::filesystem::exists(folder));
}

} // namespace
} // namespace qb::harness

// Where the drive folders live: the sources in the order they win, the folders that cannot be trusted with notes,
// and the real decision on real folders.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "child_process.h"
#include "platform/home_folder.h"
#include "temp_dir.h"

using namespace qb::platform;
using qb::test::TempDir;

TEST(ChooseHome, TheFirstSourceThatIsSetWinsAndThereIsNoFallbackIntoTmp) {
    const struct {
        HomeSources sources;
        std::string folder; // empty: refused
    } cases[] = {
        {{"/opt/h", "/q", "/x", "/home/me", ""}, "/opt/h"},
        {{"", "/q", "/x", "/home/me", ""}, "/q"},
        {{"", "", "/x/", "/home/me", ""}, "/x/quillbox"},
        {{"", "", "rel/data", "/home/me", ""}, "/home/me/.local/share/quillbox"},
        {{"", "", "", "/home/me/", ""}, "/home/me/.local/share/quillbox"},
        {{"", "", "", "", "/home/account"}, "/home/account/.local/share/quillbox"},
        {{"", "", "", "relative", "/home/account"}, "/home/account/.local/share/quillbox"},
        {{"", "", "", "", ""}, ""},
        {{"", "", "data", "", "account"}, ""},
    };
    for (const auto& c : cases) {
        const HomeChoice choice = chooseHome(c.sources);
        SCOPED_TRACE(c.sources.xdgDataHome + " | " + c.sources.userHome + " | " + c.sources.accountHome);
        EXPECT_EQ(choice.folder, c.folder);
        EXPECT_EQ(choice.ok(), !c.folder.empty());
        EXPECT_EQ(choice.problem.find("HOME is not set") != std::string::npos, !choice.ok()) << choice.problem;
    }
}

TEST(HomeFolderProblem, AFolderOfAnotherUserOrOneItsGroupOrOthersMayWriteToIsRefused) {
    const uid_t me = 1000;
    const struct {
        FolderFacts facts;
        std::string problem; // a part of the reason; empty: accepted
    } cases[] = {
        {{true, me, S_IFDIR | 0700}, ""},
        {{true, me, S_IFDIR | 0755}, ""},
        {{true, me, S_IFDIR | 0750}, ""},
        {{true, me, S_IFDIR | 0770},
         "(its mode is 0770), so they could put files in it or swap yours; chmod go-w '/h'"},
        {{true, me, S_IFDIR | 0757}, "other users may write to the folder /h (its mode is 0757)"},
        {{true, me, S_IFDIR | 01777}, "(its mode is 1777)"},
        {{true, 1001, S_IFDIR | 0700}, "belongs to another user (user id 1001)"},
        {{true, 0, S_IFDIR | 0755}, "belongs to another user (user id 0)"},
        {{false, me, S_IFREG | 0600}, "/h is not a folder"},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> problem = homeFolderProblem("/h", c.facts, me);
        SCOPED_TRACE(c.facts.mode);
        EXPECT_EQ(problem.has_value(), !c.problem.empty());
        EXPECT_NE(problem.value_or("").find(c.problem), std::string::npos) << problem.value_or("");
    }
}

TEST(ProgramHome, TheChosenFolderIsMadeOrRefusedOnDisk) {
    TempDir scratch;
    const std::string previous = std::getenv("QUILLBOX_HOME") ? std::getenv("QUILLBOX_HOME") : "";
    const auto prepare = [&](const std::string& name, mode_t mode, uid_t owner) {
        const std::string folder = scratch / name;
        std::filesystem::create_directory(folder);
        ::chmod(folder.c_str(), mode);
        return ::chown(folder.c_str(), owner, owner) == 0;
    };
    const bool root = ::geteuid() == 0;
    const struct {
        std::string name;
        bool made; // made by the case before the program runs
        mode_t mode;
        uid_t owner;
        bool accepted;
        mode_t driveC = 0; // the mode of a drive C folder made before; 0: none
    } cases[] = {
        {"missing/home", false, 0, 0, true},
        {"own", true, 0700, ::geteuid(), true},
        {"open-to-all", true, 0777, ::geteuid(), false},
        {"open-to-its-group", true, 0770, ::geteuid(), false},
        {"nobodys", true, 0755, root ? 65534 : ::geteuid(), !root},
        {"own-with-drive-c-its-group-may-write-to", true, 0700, ::geteuid(), false, 0775},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.made) {
            ASSERT_TRUE(prepare(c.name, c.mode, c.owner));
        }
        if (c.driveC != 0) {
            ASSERT_TRUE(prepare(c.name + "/drive_c", c.driveC, c.owner));
        }
        ::setenv("QUILLBOX_HOME", (scratch / c.name).c_str(), 1);
        const ProgramHome home = programHome("");
        EXPECT_EQ(home.choice.folder, scratch / c.name);
        EXPECT_EQ(home.choice.ok(), c.accepted) << home.choice.problem;
        EXPECT_EQ(home.driveC, c.accepted);
        EXPECT_EQ(std::filesystem::exists(scratch / (c.name + "/drive_c")), c.accepted || c.driveC != 0)
            << "refused: left untouched";
    }
    qb::test::writeFile(scratch / "file", "");
    EXPECT_EQ(programHome(scratch / "file").choice.problem, scratch / "file" + " is not a folder");
    if (previous.empty())
        ::unsetenv("QUILLBOX_HOME");
    else
        ::setenv("QUILLBOX_HOME", previous.c_str(), 1);
}

TEST(ProgramHome, WithoutHomeTheAccountsHomeFolderIsTaken) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root, to look up the account of the user nobody instead of one's own";
    // nobody's home folder, /nonexistent, cannot be made: nothing is created anywhere.
    const auto seen = qb::test::runInChild([] {
        for (const char* name : {"QUILLBOX_HOME", "XDG_DATA_HOME", "HOME"})
            ::unsetenv(name);
        const ProgramHome home = programHome("");
        return home.choice.folder + (home.driveC ? " made" : " not made");
    });
    EXPECT_EQ(seen, "/nonexistent/.local/share/quillbox not made");
}

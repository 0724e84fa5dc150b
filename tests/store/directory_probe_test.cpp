// The probes of saving, the directory check and start-up: they tell whether a data directory can be written, and
// never empty, replace or delete a file or folder of the user's that bears a probe's name.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <sys/stat.h>

#include "platform/drive_map.h"
#include "platform/files.h"
#include "quill_home.h"
#include "store/directory_probe.h"

using namespace qb;

namespace {

// Every name under a folder, hidden ones included, with each file's bytes ("<folder>" for a folder).
std::map<std::string, std::string> contents(const std::string& folder) {
    std::map<std::string, std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = std::filesystem::relative(entry.path(), folder).string();
        found[name] = entry.is_directory() ? "<folder>" : test::readFile(entry.path().string());
    }
    return found;
}

using DirectoryProbe = test::QuillHomeTest;

} // namespace

TEST_F(DirectoryProbe, AUsersFilesAndFoldersWithAProbesNameSurviveEveryProbe) {
    // Files with the probe names; an empty one in other letter case beside a folder testdir.
    const std::vector<std::map<std::string, std::string>> layouts = {
        {{"testit.dat", "my notes\r\n"}, {"testdir", "more notes"}},
        {{"TESTIT.DAT", ""}, {"testdir/inside.txt", "kept"}},
    };
    for (const auto& layout : layouts) {
        std::filesystem::remove_all(quill);
        for (const auto& [name, bytes] : layout)
            put(name, bytes);
        const std::map<std::string, std::string> before = contents(quill);
        SCOPED_TRACE(before.begin()->first);

        EXPECT_TRUE(store::probeForSave(drives, "c:\\quill").ok());
        EXPECT_TRUE(store::probeDataDirectory(drives, "C:\\Quill").ok());
        store::ensureDataDirectory(drives, "c:\\quill");
        EXPECT_EQ(contents(quill), before); // byte for byte, and no hidden probe file left behind
    }
}

TEST_F(DirectoryProbe, AMissingDirectoryFailsEveryProbeAndIsCreatedAtStartUp) {
    EXPECT_EQ(store::probeForSave(drives, "c:\\quill").error, ENOENT);
    EXPECT_EQ(store::probeDataDirectory(drives, "c:\\quill").error, ENOENT);
    store::ensureDataDirectory(drives, "c:\\quill");
    EXPECT_TRUE(platform::directoryExists(quill));
    EXPECT_TRUE(test::listFolder(quill).empty());
}

TEST_F(DirectoryProbe, TheProgramsOwnFoldersArePrivateAndAUsersFolderKeepsItsMode) {
    ::umask(022); // a home readable by others, as many are
    const platform::DriveMap fresh(home / "new/quillbox", "/");
    ASSERT_TRUE(fresh.ensureDriveC());
    store::ensureDataDirectory(fresh, "c:\\quill");
    for (const char* folder : {"new", "new/quillbox", "new/quillbox/drive_c", "new/quillbox/drive_c/quill"})
        EXPECT_EQ(test::modeOf(home / folder) & 07777, 0700u) << folder;

    ASSERT_EQ(::mkdir(quill.substr(0, quill.rfind('/')).c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(quill.c_str(), 0750), 0);
    ASSERT_TRUE(drives.ensureDriveC());
    store::ensureDataDirectory(drives, "c:\\quill");
    EXPECT_EQ(test::modeOf(home / "drive_c") & 07777, 0755u);
    EXPECT_EQ(test::modeOf(quill) & 07777, 0750u);
}

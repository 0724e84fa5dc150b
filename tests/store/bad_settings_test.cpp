// Settings files that the program never wrote: empty, binary, several megabytes, one long line without a line end,
// values at and past the longest field a read takes, and settings paths that are a folder, a link to nowhere, a
// pipe or an unreadable file. The readers must come back, with no value where there is none to take, so that the
// start-up goes on with its defaults.

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "child_process.h"
#include "platform/drive_map.h"
#include "settings_home.h"
#include "store/field_reader.h"
#include "store/settings.h"
#include "temp_dir.h"

using namespace qb::store;
using qb::test::writeFile;

namespace {

constexpr std::size_t kMegabyte = std::size_t{1024} * 1024;
constexpr const char* kFiles[] = {"default.dat", "@.dat", "dirlist.dat"};

struct BadSettingsTest : ::testing::Test, qb::test::SettingsHome {

    // The same bytes in every settings file the start-up reads.
    void putEverywhere(const std::string& bytes) {
        for (const char* name : kFiles)
            writeFile(driveC(name), bytes);
        writeFile(work / "dirlist.dat", bytes);
    }
    std::vector<std::string> bothLists() const {
        std::vector<std::string> values = settings.directoryList(settings_paths::kDirectoryList, ListOwner::Anyone);
        const std::vector<std::string> local =
            settings.directoryList(settings_paths::kLocalDirectoryList, ListOwner::ThisUser);
        values.insert(values.end(), local.begin(), local.end());
        return values;
    }
    void expectNoValues(const std::string& what) {
        EXPECT_FALSE(settings.defaultDirectory()) << what;
        EXPECT_FALSE(settings.password()) << what;
        EXPECT_TRUE(bothLists().empty()) << what;
    }
};

} // namespace

TEST_F(BadSettingsTest, EmptyAndBlankFilesHoldNoValue) {
    putEverywhere("");
    expectNoValues("empty");
    EXPECT_TRUE(settings.passwordFileExists()); // it exists, but asks for nothing
    putEverywhere("   ");
    EXPECT_FALSE(settings.defaultDirectory());
    EXPECT_FALSE(settings.password());
    EXPECT_EQ(settings.directoryList(settings_paths::kDirectoryList, ListOwner::Anyone), std::vector<std::string>{""});
    putEverywhere(",,,\r\n");
    EXPECT_FALSE(settings.defaultDirectory());
    EXPECT_EQ(settings.directoryList(settings_paths::kDirectoryList, ListOwner::Anyone),
              (std::vector<std::string>{"", "", "", ""}));
}

TEST_F(BadSettingsTest, BinaryFilesAreReadByTheFieldRulesLikeAnyOther) {
    std::string binary = "\x89PNG\r\n\x1a\n";
    for (int i = 0; i < 64 * 1024; ++i)
        binary.push_back(static_cast<char>((i * 7919) % 251));
    binary += std::string("\0\0\0\"", 4); // an unterminated quote at the end
    putEverywhere(binary);
    EXPECT_EQ(settings.defaultDirectory(), "\x89PNG");
    EXPECT_EQ(settings.password(), "\x89PNG");
    // The list holds exactly what field reads of the bytes give, read here from memory in one piece, less the
    // values with a NUL byte, which could only cut a path short.
    FieldReader reader{binary};
    std::vector<std::string> expected;
    while (!reader.atEnd()) {
        std::string value = generalValue(*reader.read().field);
        if (value.find('\0') == std::string::npos)
            expected.push_back(std::move(value));
    }
    EXPECT_EQ(settings.directoryList(settings_paths::kDirectoryList, ListOwner::Anyone), expected);
}

TEST_F(BadSettingsTest, AValueLongerThanAFieldReadTakesIsNoValue) {
    putEverywhere(std::string(6 * kMegabyte, 'x') + "\r\n");
    expectNoValues("6 MB line");
    putEverywhere("\"" + std::string(5 * kMegabyte, 'q')); // a quote that never ends
    expectNoValues("5 MB unterminated quote");

    // The edge: the longest value a read takes is accepted, one more character is not. Directory lists are never
    // that large.
    const std::string longest = "c:\\" + std::string(kMaxFieldBytes - 3, 'a');
    putEverywhere(longest + "\r\n");
    EXPECT_EQ(settings.defaultDirectory(), longest);
    EXPECT_TRUE(bothLists().empty());
    putEverywhere(longest + "a\r\n");
    expectNoValues("one character past the limit");
}

TEST_F(BadSettingsTest, OneLongLineWithoutALineEndIsOneValue) {
    const std::string line = "c:\\" + std::string(kMaxDirectoryListBytes - 3, 'd'); // as large as a list may be
    putEverywhere(line);
    EXPECT_EQ(settings.defaultDirectory(), line);
    EXPECT_EQ(settings.password(), line);
    EXPECT_EQ(bothLists(), (std::vector<std::string>{line, line}));
}

TEST_F(BadSettingsTest, DirectoryListsStopAtTheirSizeAndAHugeDefaultKeepsItsFirstLine) {
    const auto lines = [](std::size_t count) {
        std::string list;
        for (std::size_t i = 0; i < count; ++i)
            list += "c:\\dir" + std::to_string(i) + "\r\n";
        return list;
    };
    const struct {
        std::string bytes;
        std::size_t entries;
    } cases[] = {
        {lines(300), 300},                                                                // every one, in order
        {lines(10) + std::string(kMaxDirectoryListBytes - lines(10).size(), ' '), 11},    // and one empty value
        {lines(10) + std::string(kMaxDirectoryListBytes - lines(10).size() + 1, ' '), 0}, // larger: not read
        {std::string(2 * kMaxDirectoryListBytes, '\n'), 0},
        {lines(400'000), 0},
    };
    for (const auto& c : cases) {
        putEverywhere(c.bytes);
        const std::vector<std::string> values = bothLists();
        ASSERT_EQ(values.size(), 2 * c.entries) << c.bytes.size() << " bytes";
        for (std::size_t i = 0; i < std::min<std::size_t>(c.entries, 10); ++i)
            EXPECT_EQ(values[i], "c:\\dir" + std::to_string(i));
    }
    EXPECT_EQ(settings.defaultDirectory(), "c:\\dir0");
}

TEST_F(BadSettingsTest, ADirectoryListInTheWorkingFolderIsTakenOnlyFromItsOwner) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    putEverywhere("c:\\listed\r\n");
    const struct {
        uid_t owner;
        std::size_t fromDriveC;
        std::size_t fromWorkingFolder;
    } cases[] = {{::geteuid(), 1, 1}, {65534, 1, 0}};
    for (const auto& c : cases) {
        for (const std::string& file : {driveC("dirlist.dat"), work / "dirlist.dat"})
            ASSERT_EQ(::chown(file.c_str(), c.owner, c.owner), 0);
        EXPECT_EQ(settings.directoryList(settings_paths::kDirectoryList, ListOwner::Anyone).size(), c.fromDriveC);
        EXPECT_EQ(settings.directoryList(settings_paths::kLocalDirectoryList, ListOwner::ThisUser).size(),
                  c.fromWorkingFolder)
            << "owner " << c.owner;
    }
}

TEST_F(BadSettingsTest, SettingsThatAreNoReadableFileCountAsMissing) {
    // Each reader runs in a child with a time limit: opening the pipe for reading would wait for ever.
    const auto readAll = [this] {
        return qb::test::runInChild([this] {
            return settings.defaultDirectory().value_or("<none>") + "|" + settings.password().value_or("<none>") + "|" +
                   std::to_string(bothLists().size());
        });
    };
    qb::test::openToOthers(home.path());
    qb::test::openToOthers(work.path());
    for (const char* name : kFiles)
        ASSERT_TRUE(std::filesystem::create_directory(driveC(name))) << name;
    EXPECT_EQ(readAll(), "<none>|<none>|0") << "folders";

    for (const char* name : kFiles) {
        std::filesystem::remove(driveC(name));
        ASSERT_EQ(::symlink("/nonexistent/settings", driveC(name).c_str()), 0);
    }
    EXPECT_EQ(readAll(), "<none>|<none>|0") << "links to nowhere";

    for (const char* name : kFiles) {
        std::filesystem::remove(driveC(name));
        ASSERT_EQ(::mkfifo(driveC(name).c_str(), 0644), 0);
    }
    EXPECT_EQ(readAll(), "<none>|<none>|0") << "pipes";

    if (!qb::test::canMakeFilesUnreadable())
        GTEST_SKIP() << "running as root without the right to change user: cannot make a file unreadable";
    for (const char* name : kFiles) {
        std::filesystem::remove(driveC(name));
        writeFile(driveC(name), "c:\\secret\r\n");
        ::chmod(driveC(name).c_str(), 0);
    }
    EXPECT_EQ(readAll(), "<none>|<none>|0") << "unreadable files";
}

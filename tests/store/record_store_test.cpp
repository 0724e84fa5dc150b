// Saving and deleting reach exactly the named record file inside the data folder, never a file outside it.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <vector>

#include "quill_home.h"
#include "store/record_store.h"

using namespace qb::store;
using namespace qb::test;

namespace {

const qb::platform::LocalDateTime kNow{2026, 12, 7, 10, 0, 0};

// Every file under a folder (a link to one under its own name) with its bytes.
std::map<std::string, std::string> contents(const std::string& folder) {
    std::map<std::string, std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            found[entry.path().lexically_relative(folder).string()] = readFile(entry.path().string());
    return found;
}

struct RecordStoreTest : qb::test::QuillHomeTest {
    void SetUp() override {
        writeFile(home / "drive_c/victim.txt", "the user's file");
        put("12011000.611", "\"\"\r\n\"a record\"\r\n");
    }
};

} // namespace

TEST_F(RecordStoreTest, ANumberThatIsNoPlainNameIsRefusedAndNothingChanges) {
    // A planted file of such a name, found and saved again or deleted, must not reach victim.txt.
    put("x\\..\\..\\victim.txt", "\"\"\r\n\"planted\"\r\n");
    const std::map<std::string, std::string> before = contents(home.path());
    for (const char* number : {"x\\..\\..\\victim.txt", "..\\victim.txt", "../victim.txt", "..", "a/b", "."}) {
        const SaveResult saved = resaveRecord(drives, "c:\\quill", {number, {}, {}}, {"", "overwritten"}, kNow);
        EXPECT_EQ(saved.status.error, EINVAL) << number;
        EXPECT_NE(saved.status.describe().find("record number"), std::string::npos) << saved.status.describe();
        const DeleteResult deleted = deleteRecord(drives, "c:\\quill", number);
        EXPECT_EQ(deleted.kind, DeleteResult::Kind::Failed) << number;
        EXPECT_EQ(deleted.status.error, EINVAL) << number;
    }
    EXPECT_EQ(contents(home.path()), before);
}

TEST_F(RecordStoreTest, DeleteRemovesTheNameInTheDataFolderAndNothingElse) {
    ASSERT_EQ(::symlink("../victim.txt", (quill + "/12021000.611").c_str()), 0);
    ASSERT_EQ(::mkdir((quill + "/12031000.611").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("../gone.txt", (quill + "/12051000.611").c_str()), 0);
    struct Case {
        const char* number;
        DeleteResult::Kind kind;
    };
    std::vector<Case> cases = {
        {"12021000.611", DeleteResult::Kind::Deleted},  {"12031000.611", DeleteResult::Kind::NotFound},
        {"12041000.611", DeleteResult::Kind::NotFound}, {"", DeleteResult::Kind::NotFound},
        {"12011000.611", DeleteResult::Kind::Deleted},  {"12051000.611", DeleteResult::Kind::NotFound}};
    // Another user's link is a record like any other: it goes, and what it leads to stays.
    const bool root = ::geteuid() == 0; // a link of another user's can only be made as root
    if (root) {
        ASSERT_EQ(::symlink("../victim.txt", (quill + "/12061000.611").c_str()), 0);
        ASSERT_EQ(::lchown((quill + "/12061000.611").c_str(), 65534, 65534), 0);
        cases.push_back({"12061000.611", DeleteResult::Kind::Deleted});
    }
    for (const Case& c : cases)
        EXPECT_EQ(deleteRecord(drives, "c:\\quill", c.number).kind, c.kind) << c.number;
    EXPECT_EQ(readFile(home / "drive_c/victim.txt"), "the user's file") << "the link went, not what it led to";
    EXPECT_EQ(contents(home.path()), (std::map<std::string, std::string>{{"drive_c/victim.txt", "the user's file"}}));
    EXPECT_TRUE(std::filesystem::is_symlink(quill + "/12051000.611")) << "a link to nothing stays";
    if (!root)
        GTEST_SKIP() << "another user's link was not tried: only root can make one";
}

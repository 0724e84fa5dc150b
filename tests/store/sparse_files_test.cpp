// Files of a few bytes and then a hole of a terabyte: they take no room on the disk, yet a read that skipped the
// zeros byte by byte would go on for hours. Every reader must give up quickly and take nothing from them. Each read
// runs in a child process under a time limit, so a reader that does not stop fails its case instead of the run.

#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

#include "child_process.h"
#include "settings_home.h"
#include "store/field_reader.h"
#include "store/record_file.h"
#include "store/settings.h"
#include "temp_dir.h"

using namespace qb::store;

TEST(SparseFiles, AFewBytesBeforeATerabyteHoleGiveNothingAndEndQuickly) {
    const qb::test::SettingsHome folders;
    const qb::test::TempDir& home = folders.home;
    const qb::test::TempDir& work = folders.work;
    const Settings& settings = folders.settings;
    const auto record = [&] {
        FieldReader reader;
        const ReadResult read = readRecordFile(reader, home / "drive_c/record");
        return std::string(read.kind == ReadResult::Kind::NotARecord ? "not a record" : "read");
    };
    const auto list = [&](const char* path, ListOwner owner) {
        return std::to_string(settings.directoryList(path, owner).size()) + " entries";
    };
    const struct {
        std::string file;
        std::string head;
        std::function<std::string()> read;
        std::string expected;
    } cases[] = {
        {home / "drive_c/record", "\"\"", record, "not a record"},
        {home / "drive_c/record", "\"12/25/26\"\r\n  \"text\"", record, "not a record"},
        {home / "drive_c/@.dat", "\"\"", [&] { return settings.password().value_or("none"); }, "none"},
        {home / "drive_c/default.dat", "\"c:\\notes\"", [&] { return settings.defaultDirectory().value_or("none"); },
         "none"},
        {home / "drive_c/dirlist.dat", "c:\\a\r\n",
         [&] { return list(settings_paths::kDirectoryList, ListOwner::Anyone); }, "0 entries"},
        {work / "dirlist.dat", "\"c:\\b\"",
         [&] { return list(settings_paths::kLocalDirectoryList, ListOwner::ThisUser); }, "0 entries"},
    };
    for (const auto& c : cases) {
        qb::test::writeFile(c.file, c.head);
        ASSERT_EQ(::truncate(c.file.c_str(), off_t{1} << 40), 0) << c.file;
        EXPECT_EQ(qb::test::runInChild(c.read, 20, qb::test::ChildUser::Same), c.expected) << c.file << ": " << c.head;
        ::unlink(c.file.c_str());
    }
}

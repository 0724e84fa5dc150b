// A named pipe renamed over a record or settings file between the moment the program looks at the file and the
// moment it opens it. This binary puts its own open() in front of the C library's: armed with a path, it renames a
// pipe over that path just before the real open of it, which is the worst moment there is. Every reader must
// refuse the pipe and come back at once; each runs in a child process with a time limit, so one that waits for a
// writer fails its case instead of hanging the run.

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "child_process.h"
#include "platform/files.h"
#include "settings_home.h"
#include "store/field_reader.h"
#include "store/record_file.h"
#include "store/settings.h"
#include "temp_dir.h"

namespace {

// The path whose next open finds a pipe in the file's place, and the pipe. Plain pointers, set before any use:
// open() may be called before the static objects of this file are made.
const char* swapTarget = nullptr;
const char* swapPipe = nullptr;

int openAfterSwap(const char* path, int flags, mode_t mode) {
    if (swapTarget && std::strcmp(swapTarget, path) == 0) {
        swapTarget = nullptr;
        if (::rename(swapPipe, path) != 0)
            ::_exit(5);
    }
    using Open = int (*)(const char*, int, ...);
    return reinterpret_cast<Open>(::dlsym(RTLD_NEXT, "open"))(path, flags, mode);
}

mode_t modeArgument(int flags, va_list arguments) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, unsigned)) : 0;
}

} // namespace

extern "C" int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return openAfterSwap(path, flags, mode);
}

using namespace qb::store;

TEST(PipeSwappedIn, EveryReaderRefusesItAtOnce) {
    const qb::test::SettingsHome on;
    const auto list = [&](const char* path, ListOwner owner) {
        const std::vector<std::string> values = on.settings.directoryList(path, owner);
        return values.empty() ? std::string("none") : values.front();
    };
    const struct {
        std::string file;
        std::function<std::string()> read;
    } cases[] = {
        {on.home / "drive_c/12061403.659",
         [&] {
             FieldReader reader;
             const ReadResult read = readRecordFile(reader, on.home / "drive_c/12061403.659");
             return read.ok() ? read.record.text : std::string("none");
         }},
        {on.home / "drive_c/default.dat", [&] { return on.settings.defaultDirectory().value_or("none"); }},
        {on.home / "drive_c/@.dat", [&] { return on.settings.password().value_or("none"); }},
        {on.home / "drive_c/dirlist.dat", [&] { return list(settings_paths::kDirectoryList, ListOwner::Anyone); }},
        {on.work / "dirlist.dat", [&] { return list(settings_paths::kLocalDirectoryList, ListOwner::ThisUser); }},
        {on.work / "import.csv",
         [&] {
             std::string bytes;
             return qb::platform::readWholeFile(on.work / "import.csv", bytes, 1024).ok() ? bytes : "none";
         }},
    };
    const std::string pipe = on.work / "pipe";
    swapPipe = pipe.c_str();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        qb::test::writeFile(c.file, "\"a\"\r\n\"value\"\r\n");
        const std::optional<std::string> plain = qb::test::runInChild(c.read, 10, qb::test::ChildUser::Same);
        ASSERT_TRUE(plain && *plain != "none") << "the file itself is read";
        ASSERT_EQ(::mkfifo(swapPipe, 0600), 0);
        swapTarget = c.file.c_str(); // armed in the child too, which the fork copies it into
        EXPECT_EQ(qb::test::runInChild(c.read, 10, qb::test::ChildUser::Same), "none");
        swapTarget = nullptr;
        EXPECT_TRUE(S_ISFIFO(qb::test::modeOf(c.file))) << "the pipe took the file's place";
        ::unlink(c.file.c_str());
        ::unlink(swapPipe);
    }
}

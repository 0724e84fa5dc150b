// The search and the reminder check over a data directory full of things that are not records: binary files,
// files of several megabytes, unterminated quotes, folders named like record numbers, an unreadable file, links
// that lead nowhere, to a folder or to a pipe, a pipe itself, names the code page cannot hold and hidden files.
// Both walks must go past each of them, find every good record, and leave the folder exactly as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "child_process.h"
#include "quill_home.h"
#include "remind/reminder_list.h"
#include "search/record_walk.h"
#include "store/field_reader.h"
#include "store/record_file.h"

using namespace qb::search;
using namespace qb::readers;
using namespace qb::remind;
using namespace qb::store;
using namespace qb::test;

namespace {

using Names = std::vector<std::string>;

constexpr std::size_t kMegabyte = std::size_t{1024} * 1024;

// Bytes that look like nothing: a fixed pseudo-random sequence, NULs, quotes and line ends included.
std::string binaryBytes(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (char& c : bytes) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

class BadFolderTest : public qb::test::QuillHomeTest {
protected:
    const Record first{"12/06/26", "first needle"};
    const Record second{"", "second NEEDLE, with a comma\r\nand a line"};
    const Record third{"12/06/26", "third, due today"};
    const Record linked{"12/06/26", "linked needle"};
    const Record unterminated{"12/06/26", "needle without its closing quote"};
    const Record withNul{"12/06/26", std::string("needle\0binary", 13)}; // a record all the same
    int badInputs = 0;
    bool unreadableMade = false;

    void SetUp() override {
        put("12061403.659", recordFileBytes(first));
        put("12061404.659", recordFileBytes(second));
        put("12061405.659", recordFileBytes(third));
        writeFile(home / "elsewhere/12069999.659", recordFileBytes(linked));
        link("12061406.659", "../../elsewhere/12069999.659");
        put("12061407.659", "\"12/06/26\"\r\n\"needle without its closing quote");

        bad("binary.bin", binaryBytes(std::size_t{64} * 1024));
        put("12061408.659", recordFileBytes(withNul));
        bad("huge_plain", std::string(6 * kMegabyte, 'x'));                        // one field, too long
        bad("12061410.659", "\"01/01/27\"\r\n\"" + hay(3 * kMegabyte) + "\"\r\n"); // big but a record
        bad("huge_quoted_unterminated", "\"12/06/26\"\r\n\"" + std::string(5 * kMegabyte, 'z'));
        bad("empty", "");
        bad("onefield", "\"12/06/26\"\r\n");
        bad("crlf_only", "\r\n");
        bad("lone_quote", "\"");
        bad(".hidden", recordFileBytes({"12/06/26", "hidden needle"}));
        bad("\xff\xfe.659", recordFileBytes({"12/06/26", "needle under a name that is not UTF-8"}));
        bad("\xe4\xb8\xad.659", recordFileBytes({"12/06/26", "needle under a name Windows-1252 cannot hold"}));
        put("12061409.659/12061403.659", recordFileBytes({"12/06/26", "needle in a folder"}));
        ++badInputs;
        link("12061412.659", "/nonexistent/12061403.659");
        link("12061413.659", "12061409.659"); // to the folder
        ASSERT_EQ(::mkfifo((quill + "/12061414.659").c_str(), 0644), 0);
        link("12061415.659", "12061414.659"); // to the pipe
        badInputs += 4;
        if (qb::test::canMakeFilesUnreadable()) {
            bad("12061411.659", recordFileBytes({"12/06/26", "unreadable needle"}));
            ::chmod((quill + "/12061411.659").c_str(), 0);
            unreadableMade = true;
        }
        for (const std::string& folder : {home.path(), home / "drive_c", quill, home / "elsewhere"})
            qb::test::openToOthers(folder);
    }

    void bad(const std::string& name, const std::string& bytes) {
        put(name, bytes);
        ++badInputs;
    }
    void link(const std::string& name, const std::string& target) {
        ASSERT_EQ(::symlink(target.c_str(), (quill + "/" + name).c_str()), 0) << name;
    }
    static std::string hay(std::size_t size) {
        std::string text;
        while (text.size() < size)
            text += "hay, more hay\r\n";
        return text;
    }

    // Walks the folder in a child process (as another user when root) and reports each listed file as
    // "name readable matches", then the reminder list a reminder check builds from the same walk.
    std::optional<std::string> walkInChild(const SearchCriteria& criteria, FeedOptions options) {
        return qb::test::runInChild([&] {
            std::string report;
            ReminderList reminders;
            RecordWalk walk(drives, filePattern("C:\\Quill", "", "", ""), criteria, options);
            while (auto file = walk.nextFile()) {
                report += file->number + " " + std::to_string(file->readable) + " " + std::to_string(file->matches);
                report += "\n";
                if (file->matches)
                    reminders.add(file->record);
            }
            return report + "--\n" + reminders.text();
        });
    }

    struct Walked {
        Names listed, readable, matched;
        std::string reminders;
    };
    static Walked parse(const std::string& report) {
        Walked walked;
        const auto end = report.find("--\n");
        std::istringstream lines(report.substr(0, end));
        std::string name;
        int readable = 0, matches = 0;
        while (lines >> name >> readable >> matches) {
            walked.listed.push_back(name);
            if (readable)
                walked.readable.push_back(name);
            if (matches)
                walked.matched.push_back(name);
        }
        for (Names* names : {&walked.listed, &walked.readable, &walked.matched})
            std::sort(names->begin(), names->end());
        walked.reminders = report.substr(end + 3);
        return walked;
    }

    Names expectedListed() const {
        Names names{"12061403.659", "12061404.659", "12061405.659", "12061406.659",
                    "12061407.659", "12061408.659", "12061410.659", "binary.bin",
                    "crlf_only",    "empty",        "huge_plain",   "huge_quoted_unterminated",
                    "lone_quote",   "onefield"};
        if (unreadableMade)
            names.push_back("12061411.659");
        std::sort(names.begin(), names.end());
        return names;
    }

    // A walk that must list every ordinary file, good or bad, and leave the folder as it found it; reading ahead
    // changes nothing of it.
    Walked walkChecked(const SearchCriteria& criteria) {
        const std::string before = folderFingerprint(home.path());
        const auto report = walkInChild(criteria, {ReadAheadMode::Off});
        EXPECT_TRUE(report) << "the walk crashed or hung";
        EXPECT_EQ(walkInChild(criteria, {ReadAheadMode::Always}), report)
            << "reading ahead with the sweep changed the walk";
        EXPECT_EQ(walkInChild(criteria, {ReadAheadMode::Always, ReaderKind::Threads}), report)
            << "reading ahead changed the walk";
        Walked walked = parse(report.value_or("--\n"));
        EXPECT_EQ(walked.listed, expectedListed());
        EXPECT_EQ(folderFingerprint(home.path()), before);
        return walked;
    }
};

} // namespace

TEST_F(BadFolderTest, SearchGoesPastEveryBadFileAndChangesNothing) {
    const Walked walked = walkChecked(SearchCriteria::fromTyped("needle", "", ""));
    EXPECT_EQ(walked.matched, (Names{"12061403.659", "12061404.659", "12061406.659", "12061407.659", "12061408.659"}));
    for (const char* notARecord :
         {"12061411.659", "huge_plain", "huge_quoted_unterminated", "empty", "onefield", "crlf_only", "lone_quote"})
        EXPECT_FALSE(std::binary_search(walked.readable.begin(), walked.readable.end(), notARecord)) << notARecord;
    EXPECT_TRUE(std::binary_search(walked.readable.begin(), walked.readable.end(), "12061410.659"));
    std::cout << badInputs << " bad inputs in the folder" << (unreadableMade ? "" : " (no unreadable file)") << "\n";
}

TEST_F(BadFolderTest, ReminderCheckGoesPastEveryBadFileAndChangesNothing) {
    const Walked walked = walkChecked(SearchCriteria::fromTyped("", "", "12/06/26"));
    EXPECT_EQ(walked.matched, (Names{"12061403.659", "12061405.659", "12061406.659", "12061407.659", "12061408.659"}));
    std::size_t length = 0;
    for (const Record& due : {first, third, linked, unterminated, withNul}) {
        EXPECT_NE(walked.reminders.find(reminderEntry(due)), std::string::npos) << due.text;
        length += reminderEntry(due).size();
    }
    EXPECT_EQ(walked.reminders.size(), length); // nothing of any bad file got into the list
}

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/listing.h"
#include "temp_dir.h"

using namespace qb::platform;
using namespace qb::test;

namespace {

std::vector<std::string> listAll(const std::string& folder, const std::string& pattern) {
    WildcardListing listing(folder, pattern);
    std::vector<std::string> names;
    while (auto name = listing.next())
        names.push_back(*name);
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::string>;

} // namespace

TEST(WildcardMatch, StarQuestionMarkAndCase) {
    EXPECT_TRUE(wildcardMatch("1225*.6*", "12251403.659"));
    EXPECT_FALSE(wildcardMatch("1225*.6*", "12251403.759"));
    EXPECT_TRUE(wildcardMatch("*.*", "README"));
    EXPECT_TRUE(wildcardMatch("*.*", "a.b.c"));
    EXPECT_TRUE(wildcardMatch("ab*", "AB"));
    EXPECT_TRUE(wildcardMatch("caf\xC9*", "caf\xE9s"));
    EXPECT_TRUE(wildcardMatch("??25*", "12251403.659"));
    EXPECT_FALSE(wildcardMatch("5*.*", "05011403.659"));
    EXPECT_TRUE(wildcardMatch("12*.*", "12"));
    EXPECT_FALSE(wildcardMatch("", "x"));
    EXPECT_TRUE(wildcardMatch("a*b*c*d*e*f*g", std::string(5000, 'a') + "bcdefg"));
}

TEST(WildcardListing, ListsOrdinaryVisibleFilesThatMatch) {
    TempDir dir;
    for (const char* name :
         {"12251403.659", "12251403.759", "12261403.659", "1225", "notes.txt", "README", ".hidden", "Upper.TXT"})
        writeFile(dir / name, "x");
    ::mkdir((dir / "12259999.699").c_str(), 0777); // a folder named like a record
    ::symlink("nowhere", (dir / "12250000.600").c_str());
    ::symlink("12251403.659", (dir / "12250000.601").c_str());

    EXPECT_EQ(listAll(dir.path(), "1225*.6*"), (Names{"12250000.601", "12251403.659"}));
    EXPECT_EQ(listAll(dir.path(), "*.*"), (Names{"1225", "12250000.601", "12251403.659", "12251403.759", "12261403.659",
                                                 "README", "Upper.TXT", "notes.txt"}));
    EXPECT_EQ(listAll(dir.path(), "*.txt"), (Names{"Upper.TXT", "notes.txt"}));
    EXPECT_EQ(listAll(dir.path(), "readme"), (Names{"README"}));
    EXPECT_EQ(listAll(dir.path(), "1225.*"), (Names{"1225"})); // a name without an extension leaves out the ".*"
    EXPECT_EQ(listAll(dir.path(), "uPPER.*"), (Names{"Upper.TXT"}));
    EXPECT_EQ(listAll(dir.path(), "12251403.659"), (Names{"12251403.659"})); // "1225" is shorter than the name asked
}

TEST(WildcardListing, MissingFolderGivesAnEmptyListing) {
    TempDir dir;
    EXPECT_TRUE(listAll(dir / "absent", "*.*").empty());
}

TEST(WildcardListing, NamesComeBackAsWindows1252) {
    TempDir dir;
    writeFile(dir / "caf\u00E9", "x");
    writeFile(dir / "snow\u2603", "x"); // no Windows-1252 form: never listed
    EXPECT_EQ(listAll(dir.path(), "*"), (Names{"caf\xE9"}));
}

TEST(WildcardListing, PlantedNamesThatReachOutsideTheFolderAreNeverListed) {
    TempDir dir;
    // A conflict copy that Syncthing makes of a record two machines changed is listed like any record.
    const char* conflictCopy = "12251403.sync-conflict-20261208-015355-66GBZUU.659";
    for (const char* name : {"x\\..\\..\\victim.txt", "a\\b", "a..b", "12251403.659", "tab\tand\x01", conflictCopy})
        writeFile(dir / name, "\"\"\r\n\"planted\"\r\n");
    EXPECT_EQ(listAll(dir.path(), "*.*"), (Names{"12251403.659", conflictCopy, "a..b", "tab\tand\x01"}));
    EXPECT_EQ(listAll(dir.path(), "1225????.*"), (Names{"12251403.659", conflictCopy}));
    // The name as listed is the name on the disk, byte for byte, in Windows-1252.
    EXPECT_EQ(listedName("caf\u00E9"), std::optional<std::string>("caf\xE9"));
    for (const char* never : {".hidden", "x\\..\\victim", "..", "snow\u2603", "\xC3"})
        EXPECT_FALSE(listedName(never)) << never;
}

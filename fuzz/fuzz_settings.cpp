// The settings readers on arbitrary file contents, through the drive map as the start-up reads them: the default
// directory and the password are the first field read of their file (nothing when it is empty), a directory list
// is every field up to the end, and nothing the file holds stops a reader. A value that passwordProblem() accepts
// must read back exactly as it was stored, and one that it refuses must not.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/drive_map.h"
#include "store/field_reader.h"
#include "store/settings.h"

using namespace qb::store;
using qb::fuzz::check;

namespace {

struct Home {
    std::string root = qb::fuzz::makeScratchSubfolder("home");
    std::string work = qb::fuzz::makeScratchSubfolder("work");
    qb::platform::DriveMap drives{root, work};
    Settings settings{drives};
    Home() { check(drives.ensureDriveC(), "drive C can be made"); }
    std::string driveC(const char* name) const { return root + "/drive_c/" + name; }
};

bool hasNul(const std::string& value) {
    return value.find('\0') != std::string::npos;
}

// What the first field read of the bytes gives as a general value; nothing for no value, an empty one or one with
// a NUL byte (binary, never typed).
std::optional<std::string> firstValueOf(const std::string& bytes) {
    FieldReader reader{bytes};
    const FieldRead read = reader.read();
    if (!read.ok() || generalValue(*read.field).empty() || hasNul(generalValue(*read.field)))
        return std::nullopt;
    return generalValue(*read.field);
}

std::vector<std::string> allValuesOf(const std::string& bytes) {
    FieldReader reader{bytes};
    std::vector<std::string> values;
    while (!reader.atEnd()) {
        const FieldRead read = reader.read();
        if (!read.ok())
            break;
        if (!hasNul(generalValue(*read.field)))
            values.push_back(generalValue(*read.field));
    }
    return values;
}

void readArbitraryFiles(const Home& home, const std::string& bytes) {
    for (const char* name : {"default.dat", "@.dat", "dirlist.dat"})
        qb::fuzz::putFile(home.driveC(name), bytes);
    qb::fuzz::putFile(home.work + "/dirlist.dat", bytes);

    const std::optional<std::string> first = firstValueOf(bytes);
    check(home.settings.defaultDirectory() == first, "the default directory is the file's first value");
    check(home.settings.password() == first, "the password is the file's first value");
    check(home.settings.passwordFileExists(), "a password file of any content exists");
    const std::vector<std::string> values = allValuesOf(bytes);
    check(values.size() <= bytes.size() + 1, "a directory list has at most one value per byte");
    check(home.settings.directoryList(settings_paths::kDirectoryList) == values,
          "the directory list holds every value of the file in order");
    check(home.settings.directoryList(settings_paths::kLocalDirectoryList) == values,
          "the local directory list is read the same way");
}

// A value as a user types it into a one-line box: no line ends.
void storeAndReadBack(const Home& home, const std::string& typed) {
    if (typed.empty() || typed.find_first_of("\r\n") != std::string::npos)
        return;
    check(home.settings.setPassword(typed).ok(), "a password is stored");
    check(qb::fuzz::fileBytes(home.driveC("@.dat")) == typed + "\r\n", "a password file is the password and CR LF");
    const bool readsBack = home.settings.password() == typed;
    check(readsBack == !passwordProblem(typed).has_value(),
          "passwordProblem() refuses exactly the passwords that do not read back", typed);
    check(home.settings.setDefaultDirectory(typed).ok(), "a default directory is stored");
    check(home.settings.defaultDirectory() == firstValueOf(typed + "\r\n"),
          "a stored default directory reads back as its first value", typed);
    check(home.settings.deletePassword().ok() && !home.settings.password(), "a deleted password is gone");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Home home;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    readArbitraryFiles(home, bytes);
    storeAndReadBack(home, bytes);
    return 0;
}

// Directory list files (dirlist.dat) on arbitrary contents, from memory. No entry holds a NUL byte; a line put in
// front of the file adds its one entry in front of the list and changes nothing else; and folders written one per line
// or separated by commas, as a user writes the file, read back as written.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "store/settings.h"

using namespace qb::store;
using qb::fuzz::check;

namespace {

using Values = std::vector<std::string>;

void checkArbitraryBytes(const std::string& bytes) {
    const Values values = directoryListValues(bytes);
    for (const std::string& value : values)
        check(value.find('\0') == std::string::npos, "no entry holds a NUL byte, which would cut a path short", value);
    Values shifted{"c:\\first"};
    shifted.insert(shifted.end(), values.begin(), values.end());
    check(directoryListValues("c:\\first\r\n" + bytes) == shifted, "a line in front adds one entry in front");
}

// Folders a user would write: each line of the input made into a path without commas, quotes, line ends or NULs,
// followed by a line end or, after a line of odd length, by a comma and a space.
void checkWrittenByHand(const std::string& bytes) {
    Values folders;
    std::string file;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        auto [line, next] = qb::fuzz::splitAt(rest, '\n');
        std::string folder = "c:\\" + std::string(line);
        std::replace_if(
            folder.begin(), folder.end(), [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\0'; }, '_');
        folder.erase(folder.find_last_not_of(' ') + 1);
        folders.push_back(folder);
        file += folder + (next.empty() ? "" : line.size() % 2 == 0 ? "\r\n" : ", ");
        rest = next;
    }
    check(directoryListValues(file) == folders,
          "folders written one per line or separated by commas read back as written");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    checkArbitraryBytes(bytes);
    checkWrittenByHand(bytes);
    return 0;
}

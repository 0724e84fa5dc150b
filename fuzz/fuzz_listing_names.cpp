// The names a listing hands out, from folder entries as a shared folder may hold them: planted names with
// backslashes, "..", "a..b", control characters, bytes that are no UTF-8. A listed name is a plain name of the folder
// itself, the very name on the disk, and one that saving and deleting accept; an entry that is passed over has a reason
// to be.

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/cp1252.h"
#include "platform/folder.h"
#include "platform/listing.h"
#include "store/record_file.h"

using qb::fuzz::check;

namespace {

// The longest name a Linux folder entry has (NAME_MAX).
constexpr std::size_t kMaxEntry = 255;

void checkEntry(std::string_view entry) {
    if (entry.size() > kMaxEntry)
        return;
    const std::optional<std::string> name = qb::platform::listedName(entry);
    const bool hidden = !entry.empty() && entry[0] == '.';
    const bool climbs = entry.find('\\') != std::string_view::npos || entry == "..";
    if (!name) {
        check(entry.empty() || hidden || climbs || !qb::platform::utf8ToCp1252(entry).ok(),
              "an entry is passed over only for a reason", entry);
        return;
    }
    check(!hidden && !climbs, "hidden and climbing entries are never listed", entry);
    check(qb::platform::isPlainFileName(*name), "a listed name is a plain name of the folder", *name);
    check(name->find('\0') == std::string::npos && name->find('\\') == std::string::npos,
          "a listed name holds no NUL and no backslash", *name);
    // This also shows that the entry has a Windows-1252 form.
    check(qb::store::recordFileName(*name) == entry, "the listed name leads back to exactly the entry on the disk",
          entry);
    check(qb::store::recordNumberProblem(*name, "save").ok(), "saving and deleting accept every listed name", *name);
    check(qb::platform::wildcardMatch("*.*", *name), "the whole-folder pattern selects every listed name", *name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Folder entries never hold "/" or NUL, so both end one entry.
    std::string_view input(reinterpret_cast<const char*>(data), size);
    for (;;) {
        const std::size_t end = input.find_first_of(std::string_view("/\0", 2));
        checkEntry(input.substr(0, end));
        if (end == std::string_view::npos)
            return 0;
        input.remove_prefix(end + 1);
    }
}

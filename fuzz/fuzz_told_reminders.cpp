// The file of the reminders told today on arbitrary contents, as `quillbox --remind` reads it at every run, whoever
// wrote it: reading it never fails, what it says is written back within the file's bound, and what is written reads
// back as it was.

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "store/told_reminders.h"

using qb::fuzz::check;
using qb::store::ToldReminders;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string written = ToldReminders::parse(bytes, "12/08/26").bytes();
    check(written.size() <= qb::store::kMaxToldRemindersBytes, "the file stays within its bound");
    check(ToldReminders::parse(written, "12/08/26").bytes() == written, "what is written reads back as it was");
    return 0;
}

// The one-value settings files (the default directory and the password) on arbitrary contents, from memory, as
// the start-up reads them: the value is the file's first field read as a general value, and nothing when there is
// none, it is empty or holds a NUL byte. A value stored as the program stores it (its characters and CR LF) must
// read back as typed exactly when passwordProblem() accepts it.

#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_support.h"
#include "store/field_reader.h"
#include "store/line_writer.h"
#include "store/settings.h"

using namespace qb::store;
using qb::fuzz::check;

namespace {

std::optional<std::string> valueOf(const std::string& bytes) {
    FieldReader reader(bytes);
    return settingValue(reader);
}

void readArbitraryBytes(const std::string& bytes) {
    const std::optional<std::string> value = valueOf(bytes);
    FieldReader reader(bytes);
    const FieldRead first = reader.read();
    if (!first.ok()) {
        check(!value, "a file without a field holds no value");
        return;
    }
    const std::string general = generalValue(*first.field);
    const bool usable = !general.empty() && general.find('\0') == std::string::npos;
    check(value == (usable ? std::optional(general) : std::nullopt),
          "the value is the first field's general value unless it is empty or binary", general);
    // Whatever follows the first line never changes the value.
    if (const std::size_t lineEnd = bytes.find_first_of("\r\n"); lineEnd != std::string::npos && !first.field->quoted)
        check(valueOf(bytes.substr(0, lineEnd)) == value, "only the first line of a plain value counts");
}

// A value as a user types it into a one-line box: no line ends.
void storeAndReadBack(const std::string& typed) {
    if (typed.empty() || typed.find_first_of("\r\n") != std::string::npos)
        return;
    LineWriter file;
    file.lineWrite(typed);
    check(file.bytes() == typed + "\r\n", "a settings file is the value and CR LF");
    check((valueOf(file.bytes()) == typed) == !passwordProblem(typed).has_value(),
          "passwordProblem() refuses exactly the passwords that do not read back", typed);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    readArbitraryBytes(bytes);
    storeAndReadBack(bytes);
    return 0;
}

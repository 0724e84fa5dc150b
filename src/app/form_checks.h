#pragma once
// The input checks that saving and searching make on the main window, shown to the user when one refuses.

#include <optional>
#include <string>

namespace qb::app {

class Form1;

/** The no-spaces, reminder date and double-quote checks in that order, then a check that every box holds only
 *  characters the record files can store. Shows the first refusal (title "Alert!") and returns false. */
bool inputChecksPass(Form1& form);

/** The data directory box as Windows-1252, or nothing when it holds a character the code page cannot hold. */
std::optional<std::string> dataDirectoryOf(const Form1& form);

/** The program default directory, the fallback of the directory check. */
inline constexpr const char* kProgramDefaultDirectory = "c:\\quill";

} // namespace qb::app

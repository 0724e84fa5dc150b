#pragma once
// The settings files at fixed paths on drive C: the default data directory, the alarm flag, the password and the
// directory lists. Letter case in their paths carries no meaning, so every spelling names one file.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/status.h"

namespace qb::platform {
class DriveMap;
}

namespace qb::store {

class FieldReader;

/** The settings files, each spelled as the program has always spelled it. */
namespace settings_paths {
inline constexpr const char* kDefaultDirectory = "c:\\default.dat";
inline constexpr const char* kAlarmFlag = "c:\\flag.dat";
inline constexpr const char* kAlarmFlagTest = "C:\\flag.dat";
inline constexpr const char* kAlarmFlagDelete = "C:\\FLAG.DAT";
inline constexpr const char* kPassword = "c:\\@.dat";
inline constexpr const char* kPasswordWrite = "C:\\@.dat";
inline constexpr const char* kDirectoryList = "c:\\dirlist.dat";
inline constexpr const char* kLocalDirectoryList = "dirlist.dat";
} // namespace settings_paths

/** The program default directory: the data directory when no default is stored, the fallback of the directory check,
 *  and created at start-up when missing. */
inline constexpr const char* kProgramDefaultDirectory = "c:\\quill";

/** The largest directory list file that is read, whatever number of entries it holds; a larger one was not written
 *  by hand and is left alone. */
inline constexpr std::size_t kMaxDirectoryListBytes = std::size_t{1024} * 1024;

/** Who must own a directory list file for it to be read. */
enum class ListOwner {
    Anyone,   ///< the list in the program's own drive C
    ThisUser, ///< the list in the working folder, which may be anyone's folder
};

/** Reads and writes the settings files through the drive map. */
class Settings {
public:
    explicit Settings(const platform::DriveMap& drives) : drives_(drives) {}

    /** The stored default directory; nothing when the file is missing, empty or unreadable. */
    [[nodiscard]] std::optional<std::string> defaultDirectory() const;
    /** Stores the default directory as typed, followed by CR LF. */
    [[nodiscard]] platform::Status setDefaultDirectory(const std::string& directory) const;

    /** Whether the alarm flag file exists (its content is never read). */
    [[nodiscard]] bool alarmFlag() const;
    /** Creates the flag file holding a single space when checked; deletes it when unchecked and present. */
    [[nodiscard]] platform::Status storeAlarmFlag(bool checked) const;

    /** Whether the password file exists. */
    [[nodiscard]] bool passwordFileExists() const;
    /** The stored password as a field read gives it; nothing when the file is missing, empty or unreadable. */
    [[nodiscard]] std::optional<std::string> password() const;
    /** Stores a password as typed, readable by the owner only. */
    [[nodiscard]] platform::Status setPassword(const std::string& password) const;
    /** Deletes the password file when it exists. */
    [[nodiscard]] platform::Status deletePassword() const;

    /** The values of a directory list file, as directoryListValues() gives them; none when it is missing, no
     *  ordinary file, larger than kMaxDirectoryListBytes or not owned as owner asks. */
    [[nodiscard]] std::vector<std::string> directoryList(const char* path, ListOwner owner) const;

private:
    [[nodiscard]] std::optional<std::string> firstValue(const char* path) const;

    const platform::DriveMap& drives_;
};

/** The value of a one-value settings file (the default directory, the password): the first field the reader gives,
 *  as a general value; nothing when there is none, or it is empty or holds a NUL byte. */
[[nodiscard]] std::optional<std::string> settingValue(FieldReader& reader);

/** The values of a directory list file's bytes in file order, each a general value; a value holding a NUL byte is
 *  left out, and a read that fails ends the list. */
[[nodiscard]] std::vector<std::string> directoryListValues(std::string bytes);

/** Why a new password would not read back as typed (a field read trims it, cuts it at a comma, takes it as a
 *  quoted field, or turns it into a number), or nothing when it reads back unchanged. */
[[nodiscard]] std::optional<std::string> passwordProblem(const std::string& password);

} // namespace qb::store

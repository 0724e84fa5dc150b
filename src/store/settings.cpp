#include "store/settings.h"

#include <unistd.h>

#include "platform/drive_map.h"
#include "platform/files.h"
#include "platform/folder.h"
#include "platform/read_only_file.h"
#include "platform/safe_write.h"
#include "store/field_reader.h"
#include "store/line_writer.h"

namespace qb::store {
namespace {

platform::Status writeSettingsFile(const std::string& path, const std::string& value, platform::FileAccess access) {
    LineWriter writer;
    writer.lineWrite(value);
    const auto [parent, name] = platform::splitPath(path);
    const platform::Folder folder(parent);
    if (!folder.status().ok())
        return folder.status();
    // Held until the write is done, so that a second copy of the program starting meanwhile leaves this write's
    // temporary file alone (see removeSettingsLeftovers()).
    (void)folder.lock(platform::FolderLock::Shared);
    return platform::replaceFile(folder, name, writer.bytes(), access);
}

// A value with a NUL byte comes from a binary file, not from an editor; as a path it would be cut short silently.
bool isPlainText(const std::string& value) {
    return value.find('\0') == std::string::npos;
}

} // namespace

std::optional<std::string> Settings::firstValue(const char* path) const {
    FieldReader reader;
    if (reader.open(drives_.resolve(path)) != 0) // missing, or no ordinary file: not set
        return std::nullopt;
    return settingValue(reader);
}

std::optional<std::string> Settings::defaultDirectory() const {
    return firstValue(settings_paths::kDefaultDirectory);
}

platform::Status Settings::setDefaultDirectory(const std::string& directory) const {
    return writeSettingsFile(drives_.resolve(settings_paths::kDefaultDirectory), directory,
                             platform::FileAccess::Shared);
}

bool Settings::alarmFlag() const {
    return platform::fileExists(drives_.resolve(settings_paths::kAlarmFlag));
}

platform::Status Settings::storeAlarmFlag(bool checked) const {
    if (checked)
        return writeSettingsFile(drives_.resolve(settings_paths::kAlarmFlag), " ", platform::FileAccess::Shared);
    if (platform::fileExists(drives_.resolve(settings_paths::kAlarmFlagTest)))
        return platform::removeFile(drives_.resolve(settings_paths::kAlarmFlagDelete));
    return {};
}

bool Settings::passwordFileExists() const {
    return platform::fileExists(drives_.resolve(settings_paths::kPassword));
}

std::optional<std::string> Settings::password() const {
    return firstValue(settings_paths::kPassword);
}

platform::Status Settings::setPassword(const std::string& password) const {
    return writeSettingsFile(drives_.resolve(settings_paths::kPasswordWrite), password,
                             platform::FileAccess::OwnerOnly);
}

platform::Status Settings::deletePassword() const {
    const std::string path = drives_.resolve(settings_paths::kPasswordWrite);
    if (!platform::fileExists(path))
        return {};
    return platform::removeFile(path);
}

std::vector<std::string> Settings::directoryList(const char* path, ListOwner owner) const {
    platform::ReadOnlyFile file = platform::ReadOnlyFile::open(drives_.resolve(path));
    if (!file.ok() || file.size() > kMaxDirectoryListBytes)
        return {};
    // A list in a folder other users can write to could offer folders of theirs; only one's own list is taken.
    if (owner == ListOwner::ThisUser && file.owner() != ::geteuid())
        return {};
    std::string bytes;
    if (!file.readAll(bytes, kMaxDirectoryListBytes).ok())
        return {};
    return directoryListValues(std::move(bytes));
}

std::optional<std::string> settingValue(FieldReader& reader) {
    const FieldRead read = reader.read();
    if (!read.ok())
        return std::nullopt;
    std::string value = generalValue(*read.field);
    if (value.empty() || !isPlainText(value))
        return std::nullopt;
    return value;
}

std::vector<std::string> directoryListValues(std::string bytes) {
    FieldReader reader(std::move(bytes));
    std::vector<std::string> values;
    while (!reader.atEnd()) {
        const FieldRead read = reader.read();
        if (!read.ok())
            break;
        if (std::string value = generalValue(*read.field); isPlainText(value))
            values.push_back(std::move(value));
    }
    return values;
}

std::optional<std::string> passwordProblem(const std::string& password) {
    if (password.find_first_not_of(' ') == std::string::npos)
        return "a password made only of spaces would be read back as no password at all";
    if (password.front() == ' ' || password.back() == ' ')
        return "spaces at its beginning or end would be dropped when it is read back";
    if (password.find_first_of("\r\n") != std::string::npos)
        return "a line break would end the password when it is read back";
    if (!isPlainText(password))
        return "a NUL character cannot be read back";
    if (password.front() == '"')
        return "a password that begins with a double quote would be read back differently";
    if (password.find(',') != std::string::npos)
        return "only the part before the first comma would be read back";
    if (const auto number = numberTextForm(password); number && *number != password)
        return "it reads as the number " + *number + " and would be read back in that form";
    return std::nullopt;
}

} // namespace qb::store

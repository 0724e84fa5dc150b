#pragma once
// What a crash while a settings file was being written leaves behind: its hidden temporary file, which for the
// password file holds an old password in clear text.

namespace qb::platform {
class DriveMap;
}

namespace qb::store {

/** Removes from the root of drive C the temporary files that writes of the settings files (default.dat, flag.dat,
 *  @.dat) left when they were cut short, matched by their exact names; nothing else is touched. Run at start-up. */
void removeSettingsLeftovers(const platform::DriveMap& drives);

} // namespace qb::store

#pragma once
// A Quillbox home and a working folder for one test, with drive C made and the settings read through them.

#include <gtest/gtest.h>
#include <string>

#include "platform/drive_map.h"
#include "store/settings.h"
#include "temp_dir.h"

namespace qb::test {

/** Two fresh temporary folders, the home (with drive_c) and the working folder, and the settings on them. */
struct SettingsHome {
    TempDir home;
    TempDir work;
    platform::DriveMap drives{home.path(), work.path()};
    store::Settings settings{drives};

    SettingsHome() { EXPECT_TRUE(drives.ensureDriveC()); }
    /** The POSIX path of a file in the root of drive C. */
    std::string driveC(const std::string& name) const { return home / ("drive_c/" + name); }
};

} // namespace qb::test

#pragma once
// The fixture of a test on a Quillbox home whose data folder is c:\quill.

#include <gtest/gtest.h>
#include <string>
#include <string_view>

#include "platform/drive_map.h"
#include "temp_dir.h"

namespace qb::test {

/** A fresh temporary Quillbox home, which is also the working folder, with the drives on it; c:\quill is the folder
 *  quill (made by the first file put there). */
class QuillHomeTest : public ::testing::Test {
protected:
    /** Writes bytes to a file of c:\quill, making the folders on the way. */
    void put(const std::string& name, std::string_view bytes) const { writeFile(quill + "/" + name, bytes); }

    TempDir home;
    platform::DriveMap drives{home.path(), home.path()};
    std::string quill = home / "drive_c/quill";
};

} // namespace qb::test

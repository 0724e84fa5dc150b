#pragma once
// The base of the app tests: a temporary Quillbox home with drive C, a working directory, a manual clock, scripted
// dialogs, a recording printer and a counting exit, put together as the services a window is given.

#include <gtest/gtest.h>
#include <optional>
#include <string>

#include "app/services/services.h"
#include "fake_dialogs.h"
#include "fake_exit.h"
#include "manual_clock.h"
#include "platform/drive_map.h"
#include "recording_printer.h"
#include "temp_dir.h"

class QWidget;

namespace qb::test {

/** Owns the services a window test needs; QUILLBOX_HOME points at its home meanwhile. */
class ServicesFixture : public ::testing::Test {
protected:
    ServicesFixture();
    ~ServicesFixture() override;

    /** The POSIX path of a program path such as "c:\quill\x.dat". */
    std::string drivePath(const std::string& programPath) const { return drives.resolve(programPath); }
    /** Creates c:\quill and returns its POSIX path. */
    std::string makeQuillFolder();
    /** Shows a window, makes it the active one and waits until it is; false when it did not become active. */
    static bool showActive(QWidget* window);

    TempDir home;
    TempDir workdir;
    platform::DriveMap drives{home.path(), workdir.path()};
    ManualClock clock;
    FakeDialogs dialogs;
    RecordingPrinter printer;
    FakeExit exit;
    app::Services services{drives, clock, dialogs, printer, exit};

private:
    std::optional<std::string> previousHome_;
};

/** The control that has the focus; an editable combo box's own line edit stands for the box. */
QWidget* focusedControl();

} // namespace qb::test

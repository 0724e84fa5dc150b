#pragma once
// The base of the window tests: a temporary Quillbox home with drive C, a working directory, a manual clock,
// scripted dialogs, a recording printer, a counting exit, and the main window built on them.

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>

#include "app/services/services.h"
#include "app/windows/main_window.h"
#include "fake_dialogs.h"
#include "fake_exit.h"
#include "manual_clock.h"
#include "platform/drive_map.h"
#include "recording_printer.h"
#include "temp_dir.h"

class QWidget;

namespace qb::test {

/** Owns everything a window test needs; the main window is made on request and never runs its start-up. */
class FormFixture : public ::testing::Test {
protected:
    FormFixture();
    ~FormFixture() override;

    /** Builds the main window and shows it, without running startUp. */
    app::MainWindow& makeForm();
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
    std::unique_ptr<app::MainWindow> form;

private:
    std::optional<std::string> previousHome_;
};

} // namespace qb::test

// quillbox --remind over a folder of records due today, against the same over a folder of one short record: what it
// prints stays within the reminder window's 30000 characters and its peak memory within a bound, however long the
// records due.
//   remind_bench [FOLDER]    makes its Quillbox homes in FOLDER (a temporary folder by default)

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_util.h"
#include "commands.h"

namespace {

constexpr int kLongRecords = 20;
constexpr std::size_t kLongText = std::size_t{4} << 20; // the longest field a record may hold

// A Quillbox home with alarm checking on and records due today in c:\quill.
std::string makeHome(const std::string& home, int records, std::size_t textLength) {
    const std::time_t now = std::time(nullptr);
    char today[16];
    std::strftime(today, sizeof today, "%m/%d/%y", std::localtime(&now));
    std::filesystem::create_directories(home + "/drive_c/quill");
    std::filesystem::permissions(home, std::filesystem::perms::owner_all);
    std::filesystem::permissions(home + "/drive_c", std::filesystem::perms::owner_all);
    std::ofstream(home + "/drive_c/flag.dat") << " \r\n";
    for (int i = 0; i < records; ++i) {
        std::ofstream record(home + "/drive_c/quill/1208" + std::to_string(1000 + i) + ".611", std::ios::binary);
        record << '"' << today << "\"\r\n\"" << std::string(textLength - 1, 'x') << "\"\r\n";
    }
    return home;
}

// What one run of `quillbox --remind` printed (its length) and its peak resident set, in KiB. No session bus is
// given, so it prints and ends without waiting for a notification.
struct Run {
    std::size_t printed = 0;
    long peakKiB = -1;
};

Run remind(const std::string& home) {
    const qb::harness::CommandResult run =
        qb::harness::run({.argv = {QUILLBOX_EXECUTABLE, "--home", home, "--remind"},
                          .environment = qb::harness::environmentWith(
                              {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR", "DISPLAY", "WAYLAND_DISPLAY"}),
                          .errors = qb::harness::Errors::Apart});
    return {run.output.size(), run.status == 0 ? run.peakKiB : -1};
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : std::filesystem::temp_directory_path() / "quillbox-remind-bench";
    std::filesystem::remove_all(folder + "/short");
    std::filesystem::remove_all(folder + "/long");
    const Run small = remind(makeHome(folder + "/short", 1, 20));
    const Run large = remind(makeHome(folder + "/long", kLongRecords, kLongText));
    std::filesystem::remove_all(folder + "/long");
    if (small.peakKiB < 0 || large.peakKiB < 0) {
        std::printf("remind: quillbox --remind did not run to its end\n");
        return 1;
    }
    std::printf("quillbox --remind, %d records of 4 MiB due against 1 short one: printed %zu bytes against %zu, "
                "peak memory %ld KiB against %ld KiB\n",
                kLongRecords, large.printed, small.printed, large.peakKiB, small.peakKiB);
    bool pass = qb::bench::verdict("--remind: kB printed (the reminder window keeps 30,000 characters)",
                                   large.printed / 1000.0, 30.2, " kB");
    pass = qb::bench::verdict("--remind: peak memory growth, 1 short record to 20 of 4 MiB",
                              static_cast<double>(large.peakKiB - small.peakKiB) / 1024.0, 16, " MiB") &&
           pass;
    return pass ? 0 : 1;
}

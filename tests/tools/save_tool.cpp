// A record save from the command line, the same sequence as the save button after its checks: probe, then write.
// Fault tests run it under fault injection (fiu-run, strace) to see what a failed or killed save leaves behind.
//   save_tool HOME DIRECTORY NUMBER|- TEXT

#include <cstdio>
#include <string>

#include "platform/clock.h"
#include "platform/drive_map.h"
#include "store/directory_probe.h"
#include "store/record_store.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: save_tool HOME DIRECTORY NUMBER|- TEXT\n");
        return 2;
    }
    const qb::platform::DriveMap drives(argv[1], "/");
    const std::string directory = argv[2];
    const std::string number = std::string(argv[3]) == "-" ? "" : argv[3];
    const qb::platform::Status probe = qb::store::probeForSave(drives, directory);
    const qb::store::SaveOutcome saved =
        probe.ok() ? qb::store::saveRecord(drives, directory, number, {"", argv[4]}, qb::platform::SystemClock().now())
                   : qb::store::SaveOutcome{probe, ""};
    if (!saved.status.ok()) {
        std::fprintf(stderr, "not saved: %s\n", saved.status.describe().c_str());
        return 1;
    }
    std::printf("%s\n", saved.number.c_str());
    return 0;
}

// A record save from the command line, the same sequence as the save button after its checks: probe, then write.
// Fault tests run it under fault injection (fiu-run, strace) to see what a failed, killed or slow save leaves behind.
//   save_tool HOME DIRECTORY NUMBER|- TEXT [YYYY-MM-DDTHH:MM:SS]    the moment of a new record; the clock's by default
//   save_tool HOME --password WORD                                  sets the start-up password instead

#include <cstdio>
#include <string>

#include "platform/clock.h"
#include "platform/drive_map.h"
#include "store/directory_probe.h"
#include "store/record_store.h"
#include "store/settings.h"

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[2]) == "--password") {
        const qb::platform::DriveMap drives(argv[1], "/");
        const qb::platform::Status stored = qb::store::Settings(drives).setPassword(argv[3]);
        if (!stored.ok())
            std::fprintf(stderr, "not stored: %s\n", stored.describe().c_str());
        return stored.ok() ? 0 : 1;
    }
    qb::platform::LocalDateTime moment = qb::platform::SystemClock().now();
    if ((argc != 5 && argc != 6) ||
        (argc == 6 && std::sscanf(argv[5], "%d-%d-%dT%d:%d:%d", &moment.year, &moment.month, &moment.day, &moment.hour,
                                  &moment.minute, &moment.second) != 6)) {
        std::fprintf(stderr, "usage: save_tool HOME DIRECTORY NUMBER|- TEXT [YYYY-MM-DDTHH:MM:SS]\n");
        return 2;
    }
    const qb::platform::DriveMap drives(argv[1], "/");
    const std::string directory = argv[2];
    const std::string number = std::string(argv[3]) == "-" ? "" : argv[3];
    const qb::platform::Status probe = qb::store::probeForSave(drives, directory);
    // A resave replaces the version of the number's file that it recalls, as the save button's does.
    const qb::store::Record record{"", argv[4]};
    const qb::store::SaveResult saved =
        !probe.ok()      ? qb::store::SaveResult{probe, "", ""}
        : number.empty() ? qb::store::saveRecord(drives, directory, record, moment)
                         : qb::store::resaveRecord(drives, directory,
                                                   qb::store::recallRecord(drives, directory, number), record, moment);
    if (!saved.status.ok()) {
        std::fprintf(stderr, "not saved: %s\n", saved.status.describe().c_str());
        return 1;
    }
    std::printf("%s\n", saved.number.c_str());
    return 0;
}

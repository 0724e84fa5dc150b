#pragma once
// A D-Bus session bus of a test's own (dbus-daemon). Only the services of a folder the test names start on demand: a
// notification service is there only when the test starts one, so a bus without one can be tested too.

#include <optional>
#include <string>

#include "commands.h"
#include "temp_dir.h"

namespace qb::test {

/** A running dbus-daemon whose socket is the file bus in a temporary folder; ended with the object. */
class SessionBus {
public:
    /** A bus that starts the services of the D-Bus service files in serviceFolder on demand, and none without. */
    explicit SessionBus(const std::string& serviceFolder = {});
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    /** The address for DBUS_SESSION_BUS_ADDRESS; empty when the bus did not start. */
    const std::string& address() const { return address_; }
    /** The folder that holds the bus's socket, named bus, as a desktop's XDG_RUNTIME_DIR does. */
    const std::string& folder() const { return folder_.path(); }
    /** Why the bus did not start. */
    const std::string& error() const { return error_; }

private:
    TempDir folder_;
    std::optional<harness::BackgroundProcess> daemon_;
    std::string address_;
    std::string error_;
};

} // namespace qb::test

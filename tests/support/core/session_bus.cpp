#include "session_bus.h"

namespace qb::test {
namespace {

// A session bus that anyone of this user may use and watch, starting on demand only the services of serviceFolder.
std::string busConfig(const std::string& folder, const std::string& serviceFolder) {
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:path=" +
           folder +
           "/bus</listen>\n"
           "  <auth>EXTERNAL</auth>\n" +
           (serviceFolder.empty() ? std::string() : "  <servicedir>" + serviceFolder + "</servicedir>\n") +
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

} // namespace

SessionBus::SessionBus(const std::string& serviceFolder) {
    const std::string config = folder_ / "bus.conf", address = folder_ / "address";
    writeFile(config, busConfig(folder_.path(), serviceFolder));
    daemon_.emplace(harness::Command{
        .argv = {"dbus-daemon", "--config-file=" + config, "--nofork", "--nopidfile", "--print-address"},
        .errors = harness::Errors::Apart,
        .outputFile = address});
    // The daemon writes its address once it takes clients.
    const auto written = [&] { return harness::fileText(address).find('\n') != std::string::npos; };
    (void)harness::waitUntil([&] { return written() || !daemon_->running(); });
    if (written())
        address_ = harness::lastLine(harness::fileText(address));
    else
        error_ = "dbus-daemon did not start (scripts/dev.sh test installs dbus-daemon)";
}

} // namespace qb::test

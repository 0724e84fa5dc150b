#include "session_bus.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qb::test {
namespace {

// A session bus that anyone of this user may use and watch, with no folders of services to start on demand.
std::string busConfig(const std::string& folder) {
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:path=" +
           folder +
           "/bus</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

} // namespace

SessionBus::SessionBus() {
    const std::string config = folder_ / "bus.conf";
    writeFile(config, busConfig(folder_.path()));
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        error_ = "cannot make a pipe";
        return;
    }
    daemon_ = ::fork();
    if (daemon_ < 0) {
        error_ = "cannot start dbus-daemon";
        return;
    }
    if (daemon_ == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL); // no bus outlives a test that is killed
        ::fcntl(channel[1], F_SETFD, 0);
        const std::string configArg = "--config-file=" + config;
        const std::string printArg = "--print-address=" + std::to_string(channel[1]);
        ::execlp("dbus-daemon", "dbus-daemon", configArg.c_str(), "--nofork", "--nopidfile", printArg.c_str(),
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(channel[1]);
    // The daemon writes its address once it takes clients.
    std::string line;
    pollfd ready{channel[0], POLLIN, 0};
    char buffer[512];
    while (line.find('\n') == std::string::npos && ::poll(&ready, 1, 10'000) > 0) {
        const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        line.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    if (line.find('\n') == std::string::npos)
        error_ = "dbus-daemon did not start (scripts/dev.sh test installs dbus-daemon)";
    else
        address_ = line.substr(0, line.find('\n'));
}

SessionBus::~SessionBus() {
    if (daemon_ <= 0)
        return;
    ::kill(daemon_, SIGTERM);
    int status = 0;
    ::waitpid(daemon_, &status, 0);
}

} // namespace qb::test

#include "slow_mount.h"

#include <chrono>
#include <csignal>
#include <sys/mount.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qb::test {
namespace {

constexpr long kFuseMagic = 0x65735546;

} // namespace

SlowMount::SlowMount(const std::string& source, const std::string& target, int delayMs) : target_(target) {
#ifdef QUILLBOX_SLOW_FOLDER
    const std::string delay = std::to_string(delayMs);
    tool_ = ::fork();
    if (tool_ == 0) {
        ::execl(QUILLBOX_SLOW_FOLDER, QUILLBOX_SLOW_FOLDER, source.c_str(), target.c_str(), delay.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int tries = 0; tries < 100 && !mounted(); ++tries) {
        if (::waitpid(tool_, nullptr, WNOHANG) == tool_) {
            tool_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
#else
    (void)source, (void)delayMs;
#endif
}

SlowMount::~SlowMount() {
    if (tool_ <= 0)
        return;
    ::kill(tool_, SIGTERM); // the tool unmounts as it ends
    ::waitpid(tool_, nullptr, 0);
    if (mounted())
        ::umount2(target_.c_str(), MNT_DETACH);
}

bool SlowMount::mounted() const {
    struct statfs status {};
    return ::statfs(target_.c_str(), &status) == 0 && status.f_type == kFuseMagic;
}

} // namespace qb::test

#include "slow_mount.h"

#include <sys/vfs.h>

#include "mounting.h"
#include "temp_dir.h"

namespace qb::test {
namespace {

constexpr long kFuseMagic = 0x65735546;

} // namespace

SlowMount::SlowMount(const std::string& source, const std::string& target, int delayMs) : target_(target) {
#ifdef QUILLBOX_SLOW_FOLDER
    tool_.emplace(std::vector<std::string>{QUILLBOX_SLOW_FOLDER, source, target, std::to_string(delayMs)});
    (void)harness::waitUntil([&] { return mounted() || !tool_->running(); }, std::chrono::seconds(5));
#else
    (void)source, (void)delayMs;
#endif
}

SlowMount::~SlowMount() {
    if (!tool_)
        return;
    tool_->stop(); // the tool unmounts as it ends
    if (mounted())
        harness::unmount(target_);
}

std::string slowDefaultFolder(const std::string& home) {
    writeFile(home + "/drive_c/default.dat", "c:\\slow\r\n");
    writeFile(home + "/drive_c/slow/.keep", "");
    return home + "/drive_c/slow";
}

bool SlowMount::mounted() const {
    struct statfs status {};
    return ::statfs(target_.c_str(), &status) == 0 && status.f_type == kFuseMagic;
}

} // namespace qb::test

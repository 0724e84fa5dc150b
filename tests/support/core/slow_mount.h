#pragma once
// A folder shown again through FUSE by the slow_folder tool, each open and read answered after a delay, one request
// at a time: a stand-in for a slow network share. Needs /dev/fuse and root.

#include <optional>
#include <string>

#include "commands.h"

namespace qb::test {

/** The mount, made by the constructor and undone by the destructor; mounted() is false where FUSE is not at hand. */
class SlowMount {
public:
    SlowMount(const std::string& source, const std::string& target, int delayMs);
    ~SlowMount();
    SlowMount(const SlowMount&) = delete;
    SlowMount& operator=(const SlowMount&) = delete;

    /** Whether target shows the slow view now. */
    bool mounted() const;

private:
    std::string target_;
    std::optional<harness::BackgroundProcess> tool_;
};

/** Makes c:\\slow the default data folder of a Quillbox home, and returns its path for a slow view to be mounted on. */
std::string slowDefaultFolder(const std::string& home);

} // namespace qb::test

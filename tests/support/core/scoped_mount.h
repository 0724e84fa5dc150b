#pragma once
// Real file systems for tests run as root: a small tmpfs that fills up, a read-only bind mount, a FAT stick.

#include <string>

namespace qb::test {

/** A mount made for one test and undone at its end; valid() is false where mounting is not allowed. */
class ScopedMount {
public:
    /** A tmpfs of the given size at target. */
    static ScopedMount tmpfs(const std::string& target, std::size_t bytes);
    /** target shown again, read-only, at the same place. */
    static ScopedMount readOnly(const std::string& target);
    /** A new FAT file system in the image file, mounted at target through FUSE (fusefat), as a USB stick is. */
    static ScopedMount fatThroughFuse(const std::string& image, const std::string& target);
    ~ScopedMount();
    ScopedMount(ScopedMount&& other) noexcept : target_(std::move(other.target_)) { other.target_.clear(); }
    ScopedMount& operator=(ScopedMount&&) = delete;

    bool valid() const { return !target_.empty(); }

private:
    explicit ScopedMount(std::string target) : target_(std::move(target)) {}
    std::string target_;
};

/** Fills the file system that holds folder until it is full; the path of the filler file. */
std::string fillFileSystem(const std::string& folder);

} // namespace qb::test

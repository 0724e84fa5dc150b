#pragma once
// When a walk's reads pay to be made ahead of it: on a disk with a cold cache, on a network share, through a file
// system in user space, wherever each file costs a wait rather than the few microseconds of a page-cache hit.

#include <chrono>
#include <cstdint>
#include <functional>

namespace qb::readers {

/** Where a folder's files come from, as far as reading them goes. */
enum class FolderKind {
    Local,  ///< a disk or memory of this machine: a file read again comes from the page cache
    Remote, ///< a network share or a file system in user space: every open and read is a round trip to a server
};

/** The kind of the file system that holds an open folder; Local when it cannot be told. */
[[nodiscard]] FolderKind folderKind(int folder);

/** What the calling thread has waited for so far. */
struct ThreadWaits {
    long blockInput = 0; ///< blocks the process read from a disk; the page cache's hits do not count
    long waits = 0;      ///< times it gave up the processor to wait (for a disk, a server, a daemon)
};

/** The calling thread's waits so far, and the blocks its process read. */
[[nodiscard]] ThreadWaits threadWaits();

/**
 * Watches the files a walk takes, whoever read them, and tells when they have turned slow: when the process (the walk
 * and its partner) reads from a disk for many of the files, look after look, or when groups of files take far longer
 * than page-cache hits do while the thread waits for something about once a file. A group stretched by a busy
 * machine, which takes the processor away from the thread without its waiting, does not count; nor does a page now and
 * then that the system took back from a warm folder, or a burst of the listing's own blocks, which reading ahead would
 * not win back, nor the time the user takes to answer a question.
 */
class SlowReadWatch {
public:
    /** Files timed as one group, by one clock read: a read per file would cost a warm walk (2 to 3 µs a file) more
     *  than the rest of the watch; with four, the two slow groups of a verdict come within a slow folder's first 8. */
    static constexpr int kGroup = 4;
    /** Longer than this per file, a group counts as slow: some 40 times a page-cache hit (the warm loop over
     *  100,000 files takes 210 to 310 ms), far below a cold disk's or a share's few milliseconds. */
    static constexpr std::chrono::microseconds kSlowPerFile{100};
    /** Groups that make one look at the block input (a look: 32 files, so a cold folder's readers start after its
     *  first 32 files, 10 to 25 ms), and the slow groups of one look that mean slow reads: two, as one is what a
     *  single hold-up of a warm walk (one page taken back, one wait for the processor) gives. */
    static constexpr int kGroupsPerLook = 8;
    static constexpr int kSlowGroupsPerLook = 2;
    /** Block input (in the 512-byte units getrusage counts) that makes a look one from the disk: half a megabyte. A
     *  cold look reads several times that, the inode blocks the file system reads ahead among them; a page that the
     *  system took back from a warm folder, or a few, or one read-ahead of inode blocks, far less (a warm folder of
     *  1,000,000 records read a few thousand blocks again in a whole walk). */
    static constexpr long kDiskBlocksPerLook = 1024;
    /** Looks from the disk among the last 16 (512 files) that mean slow reads: a partner takes its files 128 at a
     *  time, so a cold folder gives a look from the disk at least once in four; one alone is a burst of the
     *  listing's own blocks. */
    static constexpr int kDiskLooks = 2;
    /** Block input of one look that alone means slow reads: 8 MB, a cold folder's first files, which bring their
     *  inode blocks and the file system's read-ahead with them. Neither pages taken back nor the listing's own blocks
     *  (a few hundred kilobytes a piece) come near it. */
    static constexpr long kColdBlocksPerLook = 16 * kDiskBlocksPerLook;

    /** The clock a watch times groups by. */
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    /** A watch over the waits that waits tells (threadWaits() for a walk), timing by clock; its first group starts
     *  now. */
    explicit SlowReadWatch(
        std::function<ThreadWaits()> waits = threadWaits,
        Clock clock = [] { return std::chrono::steady_clock::now(); });

    /** Notes one more file taken since the last; true once the reads have turned slow. */
    [[nodiscard]] bool noteFile();
    /** Notes that the user was asked: the group being timed starts again at the next file, as the time the user took
     *  to answer is no read's, and a few questions close together would count as slow reads. */
    void userAsked() { userAsked_ = true; }

private:
    // Notes that the last kGroup files took so long, from the start of the first to the end of the last.
    [[nodiscard]] bool slowAfterGroup(std::chrono::nanoseconds took);

    std::function<ThreadWaits()> waits_;
    Clock clock_;
    std::chrono::steady_clock::time_point groupStart_;
    int groupFiles_ = 0;          // files noted in this group
    bool userAsked_ = false;      // the user was asked since the last file: the group starts again
    ThreadWaits lookStart_;       // the waits when this look began
    int groups_ = 0;              // groups noted in this look
    int slowGroups_ = 0;          // of which slow
    std::uint16_t diskLooks_ = 0; // of the last 16 looks, a bit set for each from the disk, the last the lowest
};

} // namespace qb::readers

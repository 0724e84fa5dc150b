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
 * Watches the files a walk reads itself, in groups timed as a whole (a clock read per file would cost a warm walk
 * more than the rest of its time measurement), and tells when they have turned slow: when the process (the walk and
 * the reader beside it) reads from a disk for many of the files, look after look, or when groups of files take far
 * longer than page-cache hits do while the thread waits for something about once a file. A group stretched by a busy
 * machine, which takes the processor away from the thread without its waiting, does not count; nor does a page now and
 * then that the system took back from a warm folder, or a burst of the listing's own blocks, which reading ahead would
 * not win back.
 */
class SlowReadWatch {
public:
    /** How many files the walk times as one group. */
    static constexpr int kGroup = 4;
    /** Longer than this per file, a group counts as slow: many times what a page-cache hit costs. */
    static constexpr std::chrono::microseconds kSlowPerFile{100};
    /** How many groups make one look at the block input; so many slow groups in one look mean slow reads. */
    static constexpr int kGroupsPerLook = 8;
    static constexpr int kSlowGroupsPerLook = 2;
    /** Block input (in the 512-byte units getrusage counts) that makes a look one from the disk: half a megabyte. A
     *  cold look reads several times that, the inode blocks the file system reads ahead among them; a page that the
     *  system took back from a warm folder, or a few, or one read-ahead of inode blocks, far less. */
    static constexpr long kDiskBlocksPerLook = 1024;
    /** How many looks from the disk among the last 16 mean slow reads: the reader beside the walk reads a batch
     *  of files at a time, and a cold look comes once a batch. */
    static constexpr int kDiskLooks = 2;
    /** Block input of one look that alone means slow reads: 8 MB, a cold folder's first files. Neither pages taken
     *  back nor the listing's own blocks (a few hundred kilobytes a piece) come near it. */
    static constexpr long kColdBlocksPerLook = 16 * kDiskBlocksPerLook;

    /** A watch over the waits that waits tells (threadWaits() for a walk). */
    explicit SlowReadWatch(std::function<ThreadWaits()> waits = threadWaits);

    /** Notes that the last kGroup files took so long, from the start of the first to the end of the last; true once
     *  the reads have turned slow. */
    [[nodiscard]] bool slowAfterGroup(std::chrono::nanoseconds took);

private:
    std::function<ThreadWaits()> waits_;
    ThreadWaits lookStart_;       // the waits when this look began
    int groups_ = 0;              // groups noted in this look
    int slowGroups_ = 0;          // of which slow
    std::uint16_t diskLooks_ = 0; // of the last 16 looks, a bit set for each from the disk, the last the lowest
};

} // namespace qb::readers

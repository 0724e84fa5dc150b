#pragma once
// What `quillbox --remind` told today, remembered between its runs so that each reminder is told once a day,
// however often it runs (at login, by the daily timer, or both): one small file outside the Quillbox home.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folder.h"
#include "platform/status.h"

namespace qb::store {

/** The most bytes the file may hold; a larger one is not read, as if nothing had been told. */
inline constexpr std::size_t kMaxToldRemindersBytes = std::size_t{1} << 20;

/** The file's name in the state folder. */
inline constexpr const char* kToldRemindersFile = "reminders-told";

/** The most bytes a folder's list of the records told may take in the file; a longer one is kept as a digest. */
inline constexpr std::size_t kMaxToldListBytes = std::size_t{64} << 10;

/** The reminders told on one day, per data folder (its path), by record number. A folder with too many to list in
 *  the file (more than kMaxToldListBytes) keeps them as a digest of the whole set, which says whether a set of
 *  records is the one told, not which of them were. */
class ToldReminders {
public:
    /** Nothing told yet on today (a reminder date such as "12/08/26"). */
    explicit ToldReminders(std::string today) : today_(std::move(today)) {}

    /** Today's part of the file's bytes. Lines of another day, and whatever cannot be read as a line of the file
     *  (a truncated or planted file), count as nothing told. */
    [[nodiscard]] static ToldReminders parse(std::string_view bytes, std::string today);

    /** Whether the record of that number in that folder was told today; in a folder kept as a digest, every record
     *  counts as told until toldAsAWhole() says that the set differs. */
    [[nodiscard]] bool told(const std::string& folder, const std::string& number) const;
    /** For a folder kept as a digest, whether these numbers are the very set told; true for any other folder. */
    [[nodiscard]] bool toldAsAWhole(const std::string& folder, const std::vector<std::string>& numbers) const;
    /** Notes records of a folder as told today; a folder kept as a digest then holds these numbers alone. */
    void add(const std::string& folder, const std::vector<std::string>& numbers);

    /** The file's bytes, at most kMaxToldRemindersBytes: a first line that names the file, then a line per folder:
     *  the day, the folder and the record numbers told, separated by spaces, in each of them a space, a control
     *  character, a byte above 0x7E and "%" written as "%" and two hexadecimal digits; or, for too many to list,
     *  the day, the folder and "%SET:" with the count and the digest of the numbers. */
    [[nodiscard]] std::string bytes() const;

private:
    /** A set of record numbers as a whole: how many, and a hash of them in order. */
    struct Digest {
        std::size_t count = 0;
        std::uint64_t hash = 0;
        friend bool operator==(const Digest&, const Digest&) = default;
    };
    static Digest digestOf(const std::set<std::string>& numbers);
    static std::optional<Digest> digestFrom(std::string_view text);

    std::string today_;
    std::map<std::string, std::set<std::string>> told_;
    std::map<std::string, Digest> digests_;
};

/** How long a run waits for its turn. */
struct TurnWait {
    std::chrono::milliseconds tellAfter{3000};     ///< a wait longer than this is told (waiting())
    std::chrono::milliseconds giveUpAfter{120000}; ///< longer than the reminder walk of a million records, cold
    std::function<void()> waiting;                 ///< called once when the wait is longer than tellAfter
};

/** The state folder, made when it is missing and made private to the user, held under the lock of a file in it
 *  that only the user may open, while this lives: runs of `quillbox --remind` that start together (at login, with
 *  the daily timer catching up) take turns, so that the later one sees what the earlier one told. A folder that is
 *  not the user's own (as platform::homeFolderProblem() says), one that cannot be made or locked, and a turn not
 *  had within the wait's bound give no turn. */
class ToldRemindersTurn {
public:
    /** Waits for the turn while another run holds it, as wait says; the kernel ends the turn of a run that ends. */
    explicit ToldRemindersTurn(const std::string& stateFolder, const TurnWait& wait = {});

    /** Whether this run has its turn. */
    [[nodiscard]] bool ok() const { return problem_.empty(); }
    /** Why there is no turn; empty when there is one. */
    [[nodiscard]] const std::string& problem() const { return problem_; }

private:
    platform::Descriptor lock_;
    std::string problem_;
};

/** What the file in the state folder says of today; nothing told when it is missing, unreadable, too large, no
 *  ordinary file or not the user's own. */
[[nodiscard]] ToldReminders loadToldReminders(const std::string& stateFolder, std::string today);

/** Writes the file safely into the state folder, making the folder (private to the user) when it is missing. */
[[nodiscard]] platform::Status storeToldReminders(const std::string& stateFolder, const ToldReminders& told);

} // namespace qb::store

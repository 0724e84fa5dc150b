#pragma once
// The desktop's search over the data folder: each question a walk of its own, with the program's own match rule,
// that stops at a desktop's worth of results, ends when a newer question comes, and is answered with what it has
// once its time is up, however slow the folder.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "finder/note.h"
#include "platform/drive_map.h"
#include "search/search_criteria.h"

namespace qb::finder {

/** The most results one question gets: GNOME Shell lists five of a provider and KRunner fewer than ten of a runner
 *  beside the others; ten fill either, and a word that one record in 300 holds is found ten times in the first 3,000
 *  files, a twentieth of a full search. */
inline constexpr std::size_t kMostResults = 10;

/** How long a question waits for its results at most: both desktops show each provider's results as they come, and a
 *  list that comes half a second after the keystroke still reads as the answer to it. */
inline constexpr std::chrono::milliseconds kAnswerBound{500};

/** How many walks may wait on a folder that does not answer (a share gone away, its reads held in the kernel) before
 *  further questions are answered at once with nothing, so that no keystroke adds a thread for good. */
inline constexpr int kMostWaitingWalks = 8;

/** How much a question gets and how long it may take. */
struct FinderLimits {
    std::size_t results = kMostResults;
    std::chrono::milliseconds bound = kAnswerBound;
};

/** The answer to one question. */
struct Answer {
    /** What the answer is. */
    enum class Kind {
        Found,  ///< notes holds what the walk found, in the folder's order; it may be empty
        Locked, ///< a start-up password is set: nothing is looked at
    };
    Kind kind = Kind::Found;
    std::vector<Note> notes;
};

/** The data folder the program opens at start-up: the default directory of the settings, else the program's own. */
[[nodiscard]] std::string startupDataDirectory(const platform::DriveMap& drives);

/**
 * Answers the desktop's questions, each the words a user typed, sought as the program's search seeks the text
 * typed into its first search box (letter case by the code page, a phrase kept whole) in every file of the start-up
 * data folder; what the program's search passes over (files that are not records, that cannot be opened) is passed
 * over here. The settings are read again for each question, so a default folder or password set meanwhile holds.
 */
class Finder {
public:
    /** Called once with the answer to a question, from a thread of the finder's. */
    using Reply = std::function<void(Answer)>;

    explicit Finder(platform::DriveMap drives, FinderLimits limits = {});
    /** Ends the walk still running; no reply is called once it returns. */
    ~Finder();
    Finder(const Finder&) = delete;
    Finder& operator=(const Finder&) = delete;

    /** Asks for the records that hold words (Windows-1252). The question before is answered at once with what its
     *  walk found so far, and that walk ends at its next file. This one is answered once limits.results notes are
     *  found, the folder is walked, or limits.bound has passed, whichever comes first; a walk still reading then
     *  ends at its next file. */
    void ask(const std::string& words, Reply reply);

private:
    struct Question;
    struct Shared;
    static void walk(const platform::DriveMap& drives, const std::string& pattern, search::SearchCriteria criteria,
                     std::size_t most, Question& question);

    platform::DriveMap drives_;
    FinderLimits limits_;
    std::shared_ptr<Shared> shared_;
    std::shared_ptr<Question> current_;
};

} // namespace qb::finder

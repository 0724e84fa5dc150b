#include "finder/finder.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "search/record_walk.h"
#include "store/settings.h"

namespace qb::finder {

using Clock = std::chrono::steady_clock;

// One question's notes, shared by its walk, which adds them, and its waiter, which answers with them.
struct Finder::Question {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Note> notes;
    bool walked = false;            // the walk found enough, or the folder is used up
    std::atomic<bool> ended{false}; // nothing more is wanted: the walk stops at its next file

    void end() {
        const std::scoped_lock lock(mutex);
        ended = true;
        changed.notify_all();
    }
};

// What the finder shares with the threads of its questions, which may outlive it: whether replies may still be
// made, and how many walks have not ended.
struct Finder::Shared {
    std::mutex mutex;
    bool open = true;
    int walks = 0;
};

std::string startupDataDirectory(const platform::DriveMap& drives) {
    return store::Settings(drives).defaultDirectory().value_or(store::kProgramDefaultDirectory);
}

Finder::Finder(platform::DriveMap drives, FinderLimits limits)
    : drives_(std::move(drives)), limits_(limits), shared_(std::make_shared<Shared>()) {}

Finder::~Finder() {
    if (current_)
        current_->end();
    const std::scoped_lock lock(shared_->mutex);
    shared_->open = false;
}

// Walks the folder for a question until it has enough notes, the folder is used up or the question is ended.
void Finder::walk(const platform::DriveMap& drives, const std::string& pattern, search::SearchCriteria criteria,
                  std::size_t most, Question& question) {
    search::RecordWalk records(drives, pattern, std::move(criteria));
    bool enough = false;
    while (!enough && !question.ended) {
        std::optional<search::ListedFile> file = records.nextSieved();
        if (!file)
            break;
        if (!file->matches)
            continue;
        const std::scoped_lock lock(question.mutex);
        question.notes.push_back(noteOf(file->number, file->record));
        enough = question.notes.size() >= most;
    }
    const std::scoped_lock lock(question.mutex);
    question.walked = true;
    question.changed.notify_all();
}

void Finder::ask(const std::string& words, Reply reply) {
    if (current_)
        current_->end(); // its waiter answers it with what it has
    current_.reset();
    if (store::Settings(drives_).password()) {
        reply({Answer::Kind::Locked, {}});
        return;
    }
    {
        const std::scoped_lock lock(shared_->mutex);
        if (words.empty() || shared_->walks >= kMostWaitingWalks) {
            reply({});
            return;
        }
        ++shared_->walks;
    }
    auto question = std::make_shared<Question>();
    current_ = question;
    std::thread([drives = drives_, pattern = search::filePattern(startupDataDirectory(drives_), {}, {}, {}),
                 criteria = search::SearchCriteria::fromTyped(words, {}, {}), most = limits_.results, question,
                 shared = shared_]() mutable {
        walk(drives, pattern, std::move(criteria), most, *question);
        const std::scoped_lock lock(shared->mutex);
        --shared->walks;
    }).detach();
    // The waiter answers, so that a walk held by a folder that never answers holds up no answer.
    std::thread([deadline = Clock::now() + limits_.bound, question, shared = shared_, reply = std::move(reply)] {
        Answer answer;
        {
            std::unique_lock lock(question->mutex);
            question->changed.wait_until(lock, deadline, [&] { return question->walked || question->ended; });
            question->ended = true;
            answer.notes = std::move(question->notes);
        }
        const std::scoped_lock lock(shared->mutex);
        if (shared->open)
            reply(std::move(answer));
    }).detach();
}

} // namespace qb::finder

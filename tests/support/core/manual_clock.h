#pragma once
// A clock for tests: the time is set by hand and waits return at once, moving the clock on.

#include "platform/clock.h"

namespace qb::test {

/** A clock whose local time and elapsed time only move when told to, or by a wait. */
class ManualClock final : public platform::Clock {
public:
    explicit ManualClock(platform::LocalDateTime start = {2026, 12, 6, 14, 3, 59}) : now_(start) {}

    platform::LocalDateTime now() const override { return now_; }
    std::chrono::steady_clock::time_point elapsedNow() const override { return elapsed_; }
    /** Moves both readings on to the deadline at once. */
    void waitUntil(std::chrono::steady_clock::time_point deadline) override {
        if (deadline > elapsed_)
            advance(std::chrono::duration_cast<std::chrono::seconds>(deadline - elapsed_ +
                                                                     std::chrono::nanoseconds(999'999'999)));
        ++waits_;
    }

    /** Sets the local time. */
    void set(const platform::LocalDateTime& moment) { now_ = moment; }
    /** Moves both readings on. */
    void advance(std::chrono::seconds by) {
        now_ = platform::addSeconds(now_, by.count());
        elapsed_ += by;
    }
    /** How many waits were asked for. */
    int waits() const { return waits_; }

private:
    platform::LocalDateTime now_;
    std::chrono::steady_clock::time_point elapsed_{};
    int waits_ = 0;
};

} // namespace qb::test

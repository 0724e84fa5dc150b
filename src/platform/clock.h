#pragma once
// The local clock and elapsed time, behind an interface so tests can set the time and skip the waits.

#include <chrono>
#include <string>

namespace qb::platform {

/** A moment of the local calendar, to the second. */
struct LocalDateTime {
    int year = 2000;
    int month = 1; ///< 1 to 12
    int day = 1;   ///< 1 to 31
    int hour = 0;  ///< 0 to 23
    int minute = 0;
    int second = 0;
    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

/** The program's clock: the local date and time, and elapsed time for waits. */
class Clock {
public:
    virtual ~Clock() = default;
    /** The present moment of the local clock. */
    [[nodiscard]] virtual LocalDateTime now() const = 0;
    /** A monotonic reading, for measuring elapsed time. */
    [[nodiscard]] virtual std::chrono::steady_clock::time_point elapsedNow() const = 0;
    /** Blocks until the monotonic reading reaches the deadline; no events are handled meanwhile. */
    virtual void waitUntil(std::chrono::steady_clock::time_point deadline) = 0;
};

/** The real clock of the machine, in the local time zone. */
class SystemClock final : public Clock {
public:
    LocalDateTime now() const override;
    std::chrono::steady_clock::time_point elapsedNow() const override;
    void waitUntil(std::chrono::steady_clock::time_point deadline) override;
};

/** The date as ten characters mm-dd-yyyy, zero-padded whatever the locale. */
[[nodiscard]] std::string dateText(const LocalDateTime& moment);

/** The time as eight characters hh:mm:ss on the 24-hour clock. */
[[nodiscard]] std::string timeText(const LocalDateTime& moment);

/** The moment a number of seconds later (or earlier), the calendar carried over. */
[[nodiscard]] LocalDateTime addSeconds(const LocalDateTime& moment, long long seconds);

} // namespace qb::platform

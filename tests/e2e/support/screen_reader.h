#pragma once
// A screen reader's questions to the program, asked on the accessibility bus (AT-SPI) as Orca asks them: the
// program's windows, and the names and roles of their controls.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qb::e2e {

/** What a screen reader read of one window: its name and the names of its labels and text boxes. */
struct ReadWindow {
    std::string name;
    std::vector<std::string> labels, textBoxes;
    std::chrono::microseconds took{}; ///< from the first question to the last answer
};

/** A connection to the accessibility bus that a session bus names (org.a11y.Bus). */
class ScreenReader {
public:
    /** Asks the session bus at sessionBusAddress for the accessibility bus and connects to it. */
    explicit ScreenReader(const std::string& sessionBusAddress);
    ~ScreenReader();
    ScreenReader(const ScreenReader&) = delete;
    ScreenReader& operator=(const ScreenReader&) = delete;

    /** Why it is not connected; empty when it is. */
    const std::string& error() const { return error_; }

    /** Reads the program's window whose name begins with title; nothing when the program or the window is not on
     *  the bus or an answer did not come within seconds. */
    std::optional<ReadWindow> readWindow(const std::string& title, int seconds = 10);

private:
    struct Bus;
    std::unique_ptr<Bus> bus_;
    std::string error_;
};

} // namespace qb::e2e

#pragma once
// A screen reader's questions to the program on the accessibility bus (AT-SPI), as Orca asks them.

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace qb::e2e {

/** A connection to the accessibility bus that a session bus names (org.a11y.Bus). */
class ScreenReader {
public:
    explicit ScreenReader(const std::string& sessionBusAddress);
    ~ScreenReader();

    /** Why it is not connected; empty when it is. */
    const std::string& error() const { return error_; }
    /** How long the program took to tell the name of its window whose name begins with title and the names of
     *  that window's labels and text boxes (labelsAndBoxes of them); nothing when an answer did not come. */
    std::optional<std::chrono::microseconds> readWindow(const std::string& title, int& labelsAndBoxes);

private:
    struct Bus;
    std::unique_ptr<Bus> bus_;
    std::string error_;
};

} // namespace qb::e2e

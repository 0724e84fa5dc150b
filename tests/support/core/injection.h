#pragma once
// What a trace of strace says about the faults it injected, so that a fault test can show that its fault fired.

#include <sstream>
#include <string>

namespace qb::test {

/** Whether an strace trace shows a call failed or delayed by injection (strace marks the line "(INJECTED)" or
 *  "(DELAYED)"). */
inline bool injected(const std::string& trace, const std::string& call) {
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        const bool marked = line.ends_with("(INJECTED)") || line.ends_with("(DELAYED)");
        // A line starts with the call, or with the process id and then the call when strace follows children.
        const std::size_t at = line.find(call + "(");
        if (marked && at != std::string::npos && (at == 0 || line[at - 1] == ' '))
            return true;
    }
    return false;
}

} // namespace qb::test

#pragma once
// The outcome of a file operation, as a value: no exception leaves the pure layers.

#include <string>

namespace qb::platform {

/** Success, or the errno of the first call that failed and what the program was doing then. */
struct [[nodiscard]] Status {
    int error = 0;      ///< 0 on success, else an errno value
    std::string action; ///< what failed, for example "write"; empty on success

    [[nodiscard]] bool ok() const { return error == 0; }
    /** A failure built from errno-style values. */
    [[nodiscard]] static Status failure(int error, std::string action) { return Status{error, std::move(action)}; }
    /** A readable sentence: the action and the system's description of the error. */
    [[nodiscard]] std::string describe() const;
};

} // namespace qb::platform

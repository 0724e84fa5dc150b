#pragma once
// The outcome of a file operation, as a value: no exception leaves the pure layers.

#include <string>

namespace qb::platform {

/** Success, or the errno of the first call that failed and what the program was doing then; or a refusal by the
 *  program's own rules, with the errno that stands for it and the reason as it is said. */
struct [[nodiscard]] Status {
    int error = 0;      ///< 0 on success, else an errno value
    std::string action; ///< what failed, for example "write"; empty on success
    std::string reason; ///< a refusal's reason, where no system call failed; empty otherwise

    [[nodiscard]] bool ok() const { return error == 0; }
    /** A failure built from errno-style values. */
    [[nodiscard]] static Status failure(int error, std::string action) { return Status{error, std::move(action), {}}; }
    /** A refusal by the program's own rules, said by its reason alone: no system call failed. */
    [[nodiscard]] static Status refusal(int error, std::string reason) { return Status{error, {}, std::move(reason)}; }
    /** A readable sentence: the refusal's reason, or the action and the system's description of the error. */
    [[nodiscard]] std::string describe() const;
};

} // namespace qb::platform

#pragma once
// Runs part of a test in a child process: as an ordinary user when the tests run as root (root reads any file
// whatever its mode, so an unreadable file needs another user), and under a time limit, so a walk that hangs on a
// bad file fails the test instead of stopping the run.

#include <functional>
#include <optional>
#include <string>

namespace qb::test {

/** Whether runInChild() can make a file unreadable for the code it runs: false only for root without setuid. */
bool canMakeFilesUnreadable();

/** Who the child of runInChild() runs as. */
enum class ChildUser {
    Nobody, ///< the user nobody (65534) when this process is root, else this process's user
    Same,   ///< this process's user
};

/**
 * Runs work in a forked child and returns the text it returned; nothing when the child crashed, could not change its
 * user or ran longer than seconds. As nobody, folders the work reads must be open to other users.
 */
std::optional<std::string> runInChild(const std::function<std::string()>& work, unsigned seconds = 20,
                                      ChildUser user = ChildUser::Nobody);

/** Opens a folder to other users (rwx for its owner, r-x for the rest), so a child running as nobody can enter it. */
void openToOthers(const std::string& folder);

} // namespace qb::test

#include "child_process.h"

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qb::test {
namespace {

constexpr uid_t kNobody = 65534;

bool dropToNobody() {
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

} // namespace

bool canMakeFilesUnreadable() {
    if (::geteuid() != 0)
        return true;
    const auto result = runInChild([] { return std::string(::getuid() == kNobody ? "yes" : "no"); }, 5);
    return result == "yes";
}

std::optional<std::string> runInChild(const std::function<std::string()>& work, unsigned seconds, ChildUser user) {
    int channel[2];
    if (::pipe(channel) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        ::close(channel[0]);
        ::alarm(seconds);
        if (user == ChildUser::Nobody && ::geteuid() == 0 && !dropToNobody())
            ::_exit(3);
        const std::string result = work();
        for (std::size_t done = 0; done < result.size();) {
            const ssize_t n = ::write(channel[1], result.data() + done, result.size() - done);
            if (n <= 0)
                ::_exit(4);
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0); // no destructors or leak checks of the parent's objects in the child
    }
    ::close(channel[1]);
    std::string result;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        result.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return result;
}

void openToOthers(const std::string& folder) {
    ::chmod(folder.c_str(), 0755);
}

} // namespace qb::test

#include "platform/access_acl.h"

#include <acl/libacl.h>
#include <cerrno>
#include <sys/acl.h>

namespace qb::platform {
namespace {

// An acl_t freed when it goes.
class Acl {
public:
    explicit Acl(acl_t acl) : acl_(acl) {}
    ~Acl() {
        if (acl_)
            acl_free(acl_);
    }
    Acl(const Acl&) = delete;
    Acl& operator=(const Acl&) = delete;
    [[nodiscard]] acl_t get() const { return acl_; }

private:
    acl_t acl_;
};

} // namespace

std::optional<std::string> extendedAcl(int fd) {
    if (acl_extended_fd(fd) != 1)
        return std::nullopt;
    const Acl acl(acl_get_fd(fd));
    char* text = acl.get() ? acl_to_any_text(acl.get(), nullptr, ',', TEXT_NUMERIC_IDS) : nullptr;
    if (!text)
        return std::nullopt;
    std::string kept(text);
    acl_free(text);
    return kept;
}

Status setAcl(int fd, const std::optional<std::string>& acl, unsigned permissions) {
    const Acl wanted(acl ? acl_from_text(acl->c_str()) : acl_from_mode(permissions));
    if (!wanted.get())
        return Status::failure(errno, "set ACL");
    if (acl_set_fd(fd, wanted.get()) != 0)
        return Status::failure(errno, "set ACL");
    return {};
}

} // namespace qb::platform

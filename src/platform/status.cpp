#include "platform/status.h"

#include <cstring>

namespace qb::platform {

std::string Status::describe() const {
    if (ok())
        return "no error";
    if (!reason.empty())
        return reason;
    return action + " failed: " + std::strerror(error);
}

} // namespace qb::platform

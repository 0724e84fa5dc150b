#include "platform/status.h"

#include <cstring>

namespace qb::platform {

std::string Status::describe() const {
    if (ok())
        return "no error";
    return action + " failed: " + std::strerror(error);
}

} // namespace qb::platform

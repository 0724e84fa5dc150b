#include "platform/descriptor.h"

#include <fcntl.h>

namespace qb::platform {

Descriptor openFolderPath(const std::string& path) {
    return Descriptor(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
}

} // namespace qb::platform

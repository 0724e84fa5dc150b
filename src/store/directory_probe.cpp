#include "store/directory_probe.h"

#include "platform/files.h"

namespace qb::store {

platform::Status probeWithFile(const std::string& path, std::string_view bytes) {
    const platform::Status written = platform::writeFileInPlace(path, bytes);
    if (!written.ok()) {
        platform::removeFile(path); // a half-made probe must not stay behind
        return written;
    }
    return platform::removeFile(path);
}

} // namespace qb::store

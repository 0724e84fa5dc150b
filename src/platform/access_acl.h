#pragma once
// A file's access ACL, through the system's ACL library: who besides its owner, group and others may use it.

#include <optional>
#include <string>

#include "platform/status.h"

namespace qb::platform {

/** The access ACL of an open file in its text form with numeric ids, when it holds more than its mode says; nothing
 *  when it does not, or when the file system keeps no ACLs. */
[[nodiscard]] std::optional<std::string> extendedAcl(int fd);

/** Gives an open file exactly the access ACL acl, or none beyond its permission bits when acl is nothing, so that
 *  what a folder's default ACL gave a new file goes. ENOTSUP where the file system keeps no ACLs. */
[[nodiscard]] Status setAcl(int fd, const std::optional<std::string>& acl, unsigned permissions);

} // namespace qb::platform

#include "platform/listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/cp1252.h"
#include "platform/folder.h"

namespace qb::platform {
namespace {

bool matchFrom(std::string_view pattern, std::string_view name) {
    // Iterative matcher with one backtrack point: linear in practice, never exponential.
    std::size_t p = 0, n = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || cp1252ToUpper(static_cast<unsigned char>(pattern[p])) ==
                                             cp1252ToUpper(static_cast<unsigned char>(name[n])))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool isAscii(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

std::optional<std::string> listedName(std::string_view entry) {
    if (entry.empty() || entry[0] == '.')
        return std::nullopt;
    std::string name;
    if (isAscii(entry)) {
        name = entry;
    } else {
        Cp1252Conversion converted = utf8ToCp1252(entry);
        if (!converted.ok())
            return std::nullopt;
        name = std::move(converted.bytes);
    }
    if (!isPlainFileName(name))
        return std::nullopt;
    return name;
}

bool wildcardMatch(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*" || pattern == "*") // every name: the common listing of a whole folder, checked per name
        return true;
    if (matchFrom(pattern, name))
        return true;
    return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
           matchFrom(pattern.substr(0, pattern.size() - 2), name);
}

struct WildcardListing::Impl {
    DIR* dir = nullptr;
    std::string pattern;
    ~Impl() {
        if (dir)
            ::closedir(dir);
    }
    // Whether the entry is an ordinary file, asking the file system only when the listing does not say.
    bool isOrdinaryFile(const dirent& entry) const {
        if (entry.d_type == DT_REG)
            return true;
        if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK)
            return false;
        struct stat st {};
        return ::fstatat(::dirfd(dir), entry.d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
    }
};

WildcardListing::WildcardListing(const std::string& folder, std::string pattern) : impl_(std::make_unique<Impl>()) {
    impl_->dir = ::opendir(folder.c_str());
    impl_->pattern = std::move(pattern);
}

WildcardListing::~WildcardListing() = default;
WildcardListing::WildcardListing(WildcardListing&&) noexcept = default;
WildcardListing& WildcardListing::operator=(WildcardListing&&) noexcept = default;

std::optional<std::string> WildcardListing::next() {
    if (!impl_ || !impl_->dir)
        return std::nullopt;
    while (const dirent* entry = ::readdir(impl_->dir)) {
        std::optional<std::string> name = listedName(entry->d_name);
        if (name && wildcardMatch(impl_->pattern, *name) && impl_->isOrdinaryFile(*entry))
            return name;
    }
    return std::nullopt;
}

} // namespace qb::platform

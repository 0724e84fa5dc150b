#include "platform/listing.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/cp1252.h"
#include "platform/descriptor.h"
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

// What every name the pattern matches begins with, upper-cased: the characters before its first wildcard, short of
// the ".*" that a name without an extension may leave out.
std::string leadOf(std::string_view pattern) {
    std::size_t end = std::min(pattern.find_first_of("*?"), pattern.size());
    if (pattern.ends_with(".*"))
        end = std::min(end, pattern.size() - 2);
    return cp1252ToUpper(pattern.substr(0, end));
}

bool beginsWith(std::string_view name, std::string_view upperLead) {
    if (name.size() < upperLead.size())
        return false;
    for (std::size_t i = 0; i < upperLead.size(); ++i) {
        if (cp1252ToUpper(static_cast<unsigned char>(name[i])) != static_cast<unsigned char>(upperLead[i]))
            return false;
    }
    return true;
}

// Asked of every name of a listing. Without an early way out the compiler checks many bytes at a time, and names are
// short.
bool isAscii(std::string_view s) {
    unsigned char any = 0;
    for (char c : s)
        any |= static_cast<unsigned char>(c);
    return any < 0x80;
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

std::string diskName(const std::string& listedName) {
    // Names are stored as UTF-8, and most are plain ASCII record numbers.
    return isAscii(listedName) ? listedName : cp1252ToUtf8(listedName);
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
    // Read straight from the kernel in large pieces: a folder of a hundred thousand records is listed in a few
    // calls instead of a hundred.
    static constexpr std::size_t kBufferBytes = std::size_t{256} * 1024;

    Descriptor fd;
    std::string pattern;
    std::string lead; // of the pattern (leadOf): most names of a filtered listing fail on their first characters
    bool leadIsVerbatim = false; // plain ASCII without letters: a name that begins with it holds its very bytes
    std::unique_ptr<char[]> buffer;
    std::size_t offset = 0, filled = 0; // the entries not handed out yet lie between these
    std::uint64_t inode = 0;            // of the name handed out last
    std::uint64_t entries = 0;          // read so far

    // The folder's next entry and the bytes its record leaves for the name, or nothing at its end (a read that fails
    // ends it too).
    const dirent64* nextEntry(std::size_t& room) {
        if (offset == filled) {
            const ssize_t got = ::getdents64(fd.get(), buffer.get(), kBufferBytes);
            if (got <= 0)
                return nullptr;
            offset = 0;
            filled = static_cast<std::size_t>(got);
        }
        // A record must hold at least its header and a name's end, and lie within what was read; a listing that
        // says otherwise (a broken file system in user space) ends here rather than loop or read past the buffer.
        const auto* entry = reinterpret_cast<const dirent64*>(buffer.get() + offset);
        constexpr std::size_t kSmallest = offsetof(dirent64, d_name) + 1;
        if (filled - offset < kSmallest || entry->d_reclen < kSmallest || entry->d_reclen > filled - offset) {
            offset = filled = 0;
            return nullptr;
        }
        room = entry->d_reclen - offsetof(dirent64, d_name);
        offset += entry->d_reclen;
        ++entries;
        return entry;
    }

    // The name of an entry nextEntry() gave, or nothing for one without its end within its record, which ends the
    // listing as a broken record does (a name the quick lead test passes over is never measured, so never judged).
    std::optional<std::string_view> nameOf(const dirent64& entry, std::size_t room) {
        const std::size_t length = ::strnlen(entry.d_name, room);
        if (length == room) {
            offset = filled = 0;
            return std::nullopt;
        }
        return std::string_view(entry.d_name, length);
    }

    // Whether an entry's name may begin with the lead, told from its first bytes before it is measured: a filtered
    // listing passes over nearly every entry, and a lead of digits (a date) stands in a name byte for byte.
    bool mayBeginWithLead(const dirent64& entry, std::size_t room) const {
        return !leadIsVerbatim || (room > lead.size() && std::memcmp(entry.d_name, lead.data(), lead.size()) == 0);
    }

    // Whether the entry is an ordinary file, asking the file system only when the listing does not say.
    bool isOrdinaryFile(const dirent64& entry) const {
        if (entry.d_type == DT_REG)
            return true;
        if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK)
            return false;
        struct stat st {};
        return ::fstatat(fd.get(), entry.d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
    }
};

WildcardListing::WildcardListing(const std::string& folder, std::string pattern) : impl_(std::make_unique<Impl>()) {
    impl_->fd = Descriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOCTTY | O_CLOEXEC));
    if (impl_->fd.valid())
        impl_->buffer = std::make_unique<char[]>(Impl::kBufferBytes);
    impl_->lead = leadOf(pattern);
    impl_->leadIsVerbatim = std::ranges::none_of(
        impl_->lead, [](char c) { return static_cast<unsigned char>(c) >= 0x80 || (c >= 'A' && c <= 'Z'); });
    impl_->pattern = std::move(pattern);
}

WildcardListing::~WildcardListing() = default;
WildcardListing::WildcardListing(WildcardListing&&) noexcept = default;
WildcardListing& WildcardListing::operator=(WildcardListing&&) noexcept = default;

std::optional<std::string> WildcardListing::next() {
    if (!impl_ || !impl_->fd.valid())
        return std::nullopt;
    std::size_t room = 0;
    while (const dirent64* entry = impl_->nextEntry(room)) {
        if (!impl_->mayBeginWithLead(*entry, room))
            continue;
        const std::optional<std::string_view> listed = impl_->nameOf(*entry, room);
        if (!listed)
            return std::nullopt;
        const std::string_view raw = *listed;
        std::optional<std::string> name;
        if (isAscii(raw)) {
            // Most names are plain ASCII record numbers, which are listed as they stand: the pattern is tried on
            // them before anything is copied, since a filtered search passes over nearly all of them.
            if (raw.empty() || raw[0] == '.' || !beginsWith(raw, impl_->lead) || !wildcardMatch(impl_->pattern, raw) ||
                !isPlainFileName(raw))
                continue;
            name.emplace(raw);
        } else {
            name = listedName(raw);
            if (!name || !wildcardMatch(impl_->pattern, *name))
                continue;
        }
        if (impl_->isOrdinaryFile(*entry)) {
            impl_->inode = entry->d_ino;
            return name;
        }
    }
    return std::nullopt;
}

std::uint64_t WildcardListing::lastInode() const {
    return impl_ ? impl_->inode : 0;
}

std::uint64_t WildcardListing::entriesRead() const {
    return impl_ ? impl_->entries : 0;
}

} // namespace qb::platform

// The run guard's names: a hash of the name, and the user's SID as it is.
#include "win/run_guard_name.h"

#include <cstdint>
#include <cstdio>

namespace {

// FNV-1a: the name may be long and hold any byte, object names may not.
uint64_t Hash(const std::string& text) {
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

std::string Hex(uint64_t value) {
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// A SID's text is short and made of letters, digits and dashes: it goes in as it is,
// readable where the objects are listed. Anything else (which the system never gives)
// is hashed, so that the mark stays a valid atom (at most 255 characters) and the
// mutex name holds no backslash.
std::string UserPart(const std::string& sid) {
    constexpr size_t kLongestSid = 184;
    bool plain = sid.size() <= kLongestSid;
    for (unsigned char c : sid) {
        plain = plain && ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                          (c >= 'a' && c <= 'z') || c == '-');
    }
    return plain ? sid : "#" + Hex(Hash(sid));
}

}  // namespace

RunGuardNames MakeRunGuardNames(const std::string& name, const std::string& userSid) {
    RunGuardNames names;
    names.mark = "TorvinelRun." + Hex(Hash(name));
    if (!userSid.empty()) names.mark += "." + UserPart(userSid);
    names.mutexName = "Local\\" + names.mark;
    return names;
}

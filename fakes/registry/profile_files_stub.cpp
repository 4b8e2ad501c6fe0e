// In-memory profile files with the Win32 semantics of GetPrivateProfileIntA,
// GetPrivateProfileStringA and WritePrivateProfileStringA as Wine implements them:
// names ignore ASCII case, values are trimmed and lose enclosing quotes when read,
// long values are cut to the buffer, integers are parsed with sign and 0x/0o/0b
// prefixes.
#include <cstring>
#include <map>
#include <string>

#include "fakes/registry/fold.h"
#include "fakes/registry/profile_files_stub.h"
#include <win32_registry_api.h>

namespace {

using Section = std::map<std::string, std::string>;  // folded key -> raw value
using File = std::map<std::string, Section>;         // folded section name -> section

std::map<std::string, File>& Files() {
    static std::map<std::string, File> files;
    return files;
}

std::string FileKey(LPCSTR fileName) { return regstub::FoldName(fileName ? fileName : "win.ini"); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// What a reader sees of a stored value: blanks trimmed, matching quotes removed.
std::string Cooked(const std::string& raw) {
    size_t begin = 0;
    size_t end = raw.size();
    while (begin < end && IsBlank(raw[begin])) ++begin;
    while (end > begin && IsBlank(raw[end - 1])) --end;
    if (end - begin >= 2 && (raw[begin] == '"' || raw[begin] == '\'') &&
        raw[end - 1] == raw[begin]) {
        ++begin;
        --end;
    }
    return raw.substr(begin, end - begin);
}

const std::string* Find(LPCSTR app, LPCSTR key, LPCSTR fileName) {
    auto file = Files().find(FileKey(fileName));
    if (file == Files().end()) return nullptr;
    auto section = file->second.find(regstub::FoldName(app));
    if (section == file->second.end()) return nullptr;
    auto entry = section->second.find(regstub::FoldName(key));
    return entry == section->second.end() ? nullptr : &entry->second;
}

// Integer text as RtlUnicodeStringToInteger reads it with base 0.
uint32_t ParseInteger(const std::string& text) {
    size_t k = 0;
    while (k < text.size() && IsBlank(text[k])) ++k;
    bool negative = false;
    if (k < text.size() && (text[k] == '-' || text[k] == '+')) negative = text[k++] == '-';
    uint32_t base = 10;
    if (k + 1 < text.size() && text[k] == '0') {
        const char p = text[k + 1];
        if (p == 'x' || p == 'X') base = 16;
        if (p == 'o' || p == 'O') base = 8;
        if (p == 'b' || p == 'B') base = 2;
        if (base != 10) k += 2;
    }
    uint32_t result = 0;
    for (; k < text.size(); ++k) {
        const char c = text[k];
        uint32_t digit = base;
        if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
        if (c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
        if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
        if (digit >= base) break;
        result = result * base + digit;
    }
    return negative ? 0u - result : result;
}

}  // namespace

UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
    const std::string* raw = Find(lpAppName, lpKeyName, lpFileName);
    if (!raw) return static_cast<UINT>(nDefault);
    const std::string value = Cooked(*raw);
    if (value.empty()) return static_cast<UINT>(nDefault);
    return ParseInteger(value);
}

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    if (!lpReturnedString || nSize == 0) return 0;
    std::string text;
    if (!lpAppName || !lpKeyName) {
        text.clear();  // listing sections or keys is not needed here
    } else if (const std::string* raw = Find(lpAppName, lpKeyName, lpFileName)) {
        text = Cooked(*raw);
    } else {
        text = lpDefault ? lpDefault : "";
        while (!text.empty() && text.back() == ' ') text.pop_back();
    }
    const size_t n = text.size() < nSize - 1 ? text.size() : nSize - 1;
    std::memcpy(lpReturnedString, text.data(), n);
    lpReturnedString[n] = '\0';
    return static_cast<DWORD>(n);
}

BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                LPCSTR lpFileName) {
    if (!lpAppName) return 1;
    File& file = Files()[FileKey(lpFileName)];
    if (!lpKeyName) {
        file.erase(regstub::FoldName(lpAppName));
        return 1;
    }
    Section& section = file[regstub::FoldName(lpAppName)];
    if (!lpString) {
        section.erase(regstub::FoldName(lpKeyName));
        return 1;
    }
    section[regstub::FoldName(lpKeyName)] = lpString;
    return 1;
}

namespace regstub {

void ResetProfileFiles() { Files().clear(); }

}  // namespace regstub

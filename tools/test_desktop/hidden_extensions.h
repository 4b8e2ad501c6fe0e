// --hide-extensions: names shown without their extensions, as the shell shows them to a
// user who keeps Explorer's "Hide extensions for known file types" on (the per-user
// value HideFileExt = 1 under kAdvancedKey). Wine's shell32 reads that value at every
// display name it makes, in every process, and then hides the extension of every file,
// of a known type or not; a name that starts with a dot keeps it (measured under Wine 8).
// The test desktop's list view shows its names by that rule, and the value is set while
// the desktop runs, so that another process's desktop folder reads the items' IDs as the
// list view shows them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace testdesk {

constexpr wchar_t kAdvancedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

// `fileName` (ANSI code page) as the shell shows it with extensions hidden: without its
// last extension (from PathFindExtension's dot), unless it starts with a dot.
std::string WithoutExtension(const std::string& fileName);

// A registry value as found: its type and bytes.
struct FoundValue {
    DWORD type = REG_NONE;
    std::string bytes;
    bool operator==(const FoundValue& o) const { return type == o.type && bytes == o.bytes; }
};
// HKCU's HideFileExt, or nothing when it is absent.
std::optional<FoundValue> ReadHideFileExt();
// Puts `value` back (nothing: deletes the value).
bool WriteHideFileExt(const std::optional<FoundValue>& value);

// Sets HideFileExt to 1 (REG_DWORD) for its life, then puts back what was there.
class ExtensionsHidden {
public:
    ExtensionsHidden();
    ~ExtensionsHidden();
    ExtensionsHidden(const ExtensionsHidden&) = delete;
    ExtensionsHidden& operator=(const ExtensionsHidden&) = delete;

    bool Ok() const { return m_ok; }

private:
    std::optional<FoundValue> m_found;
    bool m_ok = false;
};

}  // namespace testdesk

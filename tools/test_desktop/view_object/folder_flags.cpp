// The view object's folder flags (see folder_flags.h).
#include "tools/test_desktop/view_object/folder_flags.h"

#include <commctrl.h>
#include <shobjidl.h>

#include <cstdio>

namespace testdesk {

namespace {
struct Flags {
    HWND listView = nullptr;
    DWORD told = kDesktopFolderFlags;  // FWF_AUTOARRANGE as told last; the style's is current
    std::string keptPath;
    bool keepsArranging = false;
};
Flags g_flags;

void Keep(DWORD flags) {
    if (g_flags.keptPath.empty()) return;
    // Written beside and renamed over, so that a process ended mid-write keeps the last.
    const std::string part = g_flags.keptPath + ".part";
    std::FILE* f = std::fopen(part.c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "0x%08lx\n", static_cast<unsigned long>(flags));
    if (std::fclose(f) == 0)
        MoveFileExA(part.c_str(), g_flags.keptPath.c_str(), MOVEFILE_REPLACE_EXISTING);
}
}  // namespace

std::optional<DWORD> KeptFolderFlags(const std::string& path) {
    std::FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    unsigned long flags = 0;
    const bool read = std::fscanf(f, "%lx", &flags) == 1;
    std::fclose(f);
    return read ? std::optional<DWORD>(flags) : std::nullopt;
}

void StartFolderFlags(HWND listView, DWORD flags, const std::string& keptPath,
                      bool keepsArranging) {
    g_flags = Flags{listView, flags, keptPath, keepsArranging};
}

DWORD CurrentFolderFlags() {
    const bool arranges =
        g_flags.listView && (GetWindowLongPtrW(g_flags.listView, GWL_STYLE) & LVS_AUTOARRANGE);
    return (g_flags.told & ~static_cast<DWORD>(FWF_AUTOARRANGE)) |
           (arranges ? DWORD{FWF_AUTOARRANGE} : 0);
}

void SetFolderFlags(DWORD mask, DWORD flags) {
    g_flags.told = (g_flags.told & ~mask) | (flags & mask);
    if (g_flags.keepsArranging) g_flags.told |= FWF_AUTOARRANGE;
    if ((mask & FWF_AUTOARRANGE) && g_flags.listView) {
        const LONG_PTR style = GetWindowLongPtrW(g_flags.listView, GWL_STYLE);
        const LONG_PTR arrange = (g_flags.told & FWF_AUTOARRANGE) ? LVS_AUTOARRANGE : 0;
        if ((style & LVS_AUTOARRANGE) != arrange)
            SetWindowLongPtrW(g_flags.listView, GWL_STYLE, (style & ~LVS_AUTOARRANGE) | arrange);
    }
    Keep(g_flags.told);
}

}  // namespace testdesk

// Looks the desktop list view up anew on every call.
#include "desktop/access/find_view.h"

#include <cstring>

namespace desktop {

namespace {

bool IsListView(HWND hwnd) {
    char cls[32] = {};
    return hwnd && GetClassNameA(hwnd, cls, sizeof cls) > 0 &&
           std::strcmp(cls, "SysListView32") == 0;
}

HWND ListViewUnder(HWND defView) {
    return defView ? FindWindowExA(defView, nullptr, "SysListView32", nullptr) : nullptr;
}

DWORD ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    if (hwnd) GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

}  // namespace

HWND FindDesktopListView() {
    HWND progman = FindWindowA("Progman", "Program Manager");
    if (!progman) return nullptr;

    HWND child = GetWindow(progman, GW_CHILD);
    HWND grandchild = child ? GetWindow(child, GW_CHILD) : nullptr;
    if (IsListView(grandchild)) return grandchild;

    // Anything else at that place would receive list-view messages it does not know;
    // look where newer shells keep the view instead, and give none when it is nowhere.
    if (HWND view = ListViewUnder(FindWindowExA(progman, nullptr, "SHELLDLL_DefView", nullptr)))
        return view;
    // Only the shell's own "WorkerW" windows: any program may create a window of that
    // class, and its list view would be read and moved as if it were the desktop.
    const DWORD shell = ProcessOf(progman);
    const DWORD shellWindowOwner = ProcessOf(GetShellWindow());
    for (HWND worker = FindWindowExA(nullptr, nullptr, "WorkerW", nullptr); worker;
         worker = FindWindowExA(nullptr, worker, "WorkerW", nullptr)) {
        const DWORD owner = ProcessOf(worker);
        if (owner == 0 || (owner != shell && owner != shellWindowOwner)) continue;
        if (HWND view = ListViewUnder(FindWindowExA(worker, nullptr, "SHELLDLL_DefView", nullptr)))
            return view;
    }
    return nullptr;
}

}  // namespace desktop

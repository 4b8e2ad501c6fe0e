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
    for (HWND worker = FindWindowExA(nullptr, nullptr, "WorkerW", nullptr); worker;
         worker = FindWindowExA(nullptr, worker, "WorkerW", nullptr)) {
        if (HWND view = ListViewUnder(FindWindowExA(worker, nullptr, "SHELLDLL_DefView", nullptr)))
            return view;
    }
    return nullptr;
}

}  // namespace desktop

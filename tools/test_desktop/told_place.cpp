// The test desktop's rules for a position it is told (see told_place.h).
#include "tools/test_desktop/told_place.h"

#include <commctrl.h>

#include <vector>

#include "tools/test_desktop/grid.h"

namespace testdesk {

bool PlaceTold(HWND listView, int index, POINT& pt) {
    if (GetWindowLongPtrW(listView, GWL_STYLE) & LVS_AUTOARRANGE) return false;
    if (!(SendMessageW(listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_SNAPTOGRID))
        return true;
    const auto spacing = static_cast<DWORD>(SendMessageW(listView, LVM_GETITEMSPACING, FALSE, 0));
    POINT origin = {};
    SendMessageW(listView, LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&origin));
    std::vector<POINT> taken;
    const int count = static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        POINT at = {};
        if (i != index &&
            SendMessageW(listView, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&at)))
            taken.push_back(at);
    }
    pt = NearestFreeGridPoint(pt, origin, SIZE{LOWORD(spacing), HIWORD(spacing)}, taken);
    return true;
}

}  // namespace testdesk

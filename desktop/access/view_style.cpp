// The desktop list view's style bits; see view_style.h.
#include "desktop/access/view_style.h"

#include <commctrl.h>

namespace desktop {

bool ArrangesItself(HWND view) {
    return view && (GetWindowLongPtrA(view, GWL_STYLE) & LVS_AUTOARRANGE) != 0;
}

void StopArranging(HWND view) {
    const LONG_PTR style = GetWindowLongPtrA(view, GWL_STYLE);
    if (style & LVS_AUTOARRANGE)
        SetWindowLongPtrA(view, GWL_STYLE, style & ~LONG_PTR{LVS_AUTOARRANGE});
}

}  // namespace desktop

// The desktop list view's style bits; see view_style.h.
#include "desktop/access/view_style.h"

#include <commctrl.h>

namespace desktop {

bool ArrangesItself(HWND view) {
    return view && (GetWindowLongPtrA(view, GWL_STYLE) & LVS_AUTOARRANGE) != 0;
}

}  // namespace desktop

// What the desktop list view's own style says, read without a message (the style lives
// in the window, not in the shell's thread), so a hung shell cannot hold the caller.
#pragma once

#include <windows.h>

namespace desktop {

// True when `view` arranges its icons itself (LVS_AUTOARRANGE): it then ignores the
// position messages of a restore, and nothing would move.
bool ArrangesItself(HWND view);

}  // namespace desktop

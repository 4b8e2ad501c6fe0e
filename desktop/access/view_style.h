// What the desktop list view's own style says, read without a message (the style lives
// in the window, not in the shell's thread), so a hung shell cannot hold the caller; and
// auto arrange taken off it.
#pragma once

#include <windows.h>

namespace desktop {

// True when `view` arranges its icons itself (LVS_AUTOARRANGE): it then ignores the
// position messages of a restore, and nothing would move.
bool ArrangesItself(HWND view);

// Takes LVS_AUTOARRANGE off the view's style. The change is sent to the view's thread
// (WM_STYLECHANGING, WM_STYLECHANGED) without a time-out: call it only on a view that
// has just answered a message, and never on the interface thread.
void StopArranging(HWND view);

}  // namespace desktop

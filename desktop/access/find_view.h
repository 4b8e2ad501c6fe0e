// Finding the shell's desktop list view.
#pragma once

#include <windows.h>

namespace desktop {

// The desktop list view, or null. Progman "Program Manager" > first child > its first
// child comes first; when that is not a list view (newer shells move the view under a
// "WorkerW" window), the "SHELLDLL_DefView" under Progman and then under the top-level
// "WorkerW" windows of the shell's process (Progman's, or GetShellWindow()'s) is
// searched for its "SysListView32" child. Never cached.
HWND FindDesktopListView();

}  // namespace desktop

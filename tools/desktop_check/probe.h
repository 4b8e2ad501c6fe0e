// What the check finds on this machine, printed: the window tree down to the list view,
// the icons, the view's styles and spacing, monitors, DPI, code page, session and
// integrity levels.
#pragma once

#include <windows.h>

#include "tools/desktop_check/shell.h"

namespace check {

// The machine's side: code page, monitors, DPI, this process's session and integrity.
void PrintMachine();
// The desktop's side: the tree, the icons and their names the code page cannot show, the
// view's settings (settings.h) and spacing, the shell's process, session and integrity.
void PrintDesktop(const Shell& shell);

}  // namespace check

// The check's own moves of the desktop's icons, by list-view messages as any program
// sends them, with the desktop's settings left as they are: what the desktop makes of
// each move (snapped to its grid, or refused under auto arrange) is read back and used.
#pragma once

#include <windows.h>

#include "tools/desktop_check/icons.h"

namespace check {

// How many icons of `before` do not stand at their place in `after`.
int CountMoved(const Icons& before, const Icons& after);
// Another arrangement than the shell's own, on grid points of the icon spacing (row by
// row from one spacing in, last icon first), so that a restart which forgot what the
// restore told it shows and a snapping desktop keeps the places exactly. Where the
// desktop `autoArranges` nothing can move: its own places are the arrangement.
Icons Arrange(HWND view, bool autoArranges);
// Every icon to a pseudo-random place (the same for the same seed).
Icons Scramble(HWND view, unsigned seed, const Icons& from, bool autoArranges);
// The first and the last icon trade places, by way of a free grid point, so that each
// move lands on a point free at that moment.
Icons Swap(HWND view, const Icons& from, bool autoArranges);

}  // namespace check

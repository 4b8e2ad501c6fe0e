// The shell's own record of where desktop icons stand. On Windows 10 1809 and later a
// position set through the list view shows, but the shell does not keep it: after
// signing out the icon goes back. Telling the desktop's view object (IFolderView)
// the same positions makes the shell keep them. Best effort: wherever the chain is
// missing or fails, nothing happens and nothing is shown.
#pragma once

#include <cstddef>
#include <vector>

#include "desktop/placed_icon.h"

namespace desktop {

// Tells the desktop's view object, in one SelectAndPositionItems call, where `icons`
// now stand. An icon goes in only when the view's item at its index carries the name
// the restore read for it, so the view object never moves an icon the list view did
// not. Needs COM on the calling thread. Returns how many icons the view object took
// (0 when there is no view object, nothing matched, or any step failed).
size_t TellViewObject(const std::vector<PlacedIcon>& icons);

}  // namespace desktop

// Where a saved place is sent on the screen there is now. A layout saved with another
// monitor attached, or at a higher resolution, may hold places that no monitor shows;
// the desktop has no scroll bars, so an icon sent there could not be reached. Such a
// place is brought onto the nearest visible area instead. The stored layout is never
// changed: only the place sent is.
#pragma once

#include <cstdint>

#include "desktop/desktop.h"

namespace restore {

struct Place {
    int32_t x;
    int32_t y;
};

// An icon at (x, y) covers [x, x + iconCx) x [y, y + iconCy). A place whose box shares
// a pixel with a visible area, or any place when no area is known, is kept as it is.
// Otherwise the icon goes to the visible area nearest its box (ties: the first), with x
// clamped to [left, right - iconCx] and y to [top, bottom - iconCy] (to left or top
// where the area is smaller than the icon). Icons brought in from one lost monitor may
// overlap at an edge; each can still be seen and dragged.
Place VisiblePlace(Place saved, const desktop::Screen& screen);

}  // namespace restore

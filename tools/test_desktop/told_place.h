// Where the test desktop puts an icon that another process (by a list-view message) or
// its view object (SelectAndPositionItems) tells it to move, as Explorer does: nowhere
// under auto arrange, and onto the grid while the list view snaps to it. Wine's list
// view does neither by itself.
#pragma once

#include <windows.h>

namespace testdesk {

// False when the list view moves nothing (it has LVS_AUTOARRANGE); otherwise `pt`
// becomes where item `index` goes: unchanged, or with LVS_EX_SNAPTOGRID the nearest
// grid point of the icon spacing no other item stands on (grid.h). Reads the list view
// by messages: call it on the list view's thread.
bool PlaceTold(HWND listView, int index, POINT& pt);

}  // namespace testdesk

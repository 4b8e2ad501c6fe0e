// The desktop's icons as the check sees them: found as TORVINEL.EXE finds the view, read
// and moved by list-view messages, compared by name.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace check {

struct Icon {
    std::string name;  // ANSI code page bytes, as the list view gives them
    int x = 0;
    int y = 0;
};
using Icons = std::vector<Icon>;

// The desktop list view, or null.
HWND FindView();
// Waits until the view lists at least `minIcons` icons; null when it did not in time.
HWND WaitForView(int minIcons, DWORD timeoutMs);
// Every icon of the view in item order (empty when it could not be read).
Icons ReadIcons(HWND view);
// LVM_SETITEMPOSITION; false when the view did not answer that it moved the icon.
bool MoveIcon(HWND view, int index, int x, int y);
// LVM_GETITEMSPACING (the icon mode's).
SIZE Spacing(HWND view);

// The first icon of `expected` that does not stand within `slack` pixels (either way,
// each axis) of its place in `got`, told as a line; "" when every icon does. Icons pair
// by name, icons of one name in item order.
std::string FirstMisplaced(const Icons& expected, const Icons& got, int slackX, int slackY);
// How many icons of `a` stand at exactly their place in `b` (paired as above).
int CountAtPlace(const Icons& a, const Icons& b);

}  // namespace check

// Scrambling the desktop icons through the same desktop access as the program.
#include "tools/driver/scramble.h"

#include <windows.h>

#include <algorithm>
#include <random>

#include "desktop/access/win32_desktop.h"

namespace driver {

namespace {
// Room an icon with its label takes, so that scrambled icons stay inside the view.
constexpr int kIconWidth = 80;
constexpr int kIconHeight = 70;
}  // namespace

int ScrambleDesktop(unsigned seed) {
    desktop::Win32Desktop desk;
    const desktop::ViewId view = desk.FindView();
    if (!view) return -1;
    RECT client = {};
    GetClientRect(reinterpret_cast<HWND>(view), &client);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> xs(0,
                                          std::max(0, static_cast<int>(client.right) - kIconWidth));
    std::uniform_int_distribution<int> ys(
        0, std::max(0, static_cast<int>(client.bottom) - kIconHeight));
    const int count = std::max(0, desk.CountItems(view));
    for (int i = 0; i < count; ++i) {
        const int x = xs(random);
        desk.SetPosition(view, i, x, ys(random));
    }
    return count;
}

}  // namespace driver

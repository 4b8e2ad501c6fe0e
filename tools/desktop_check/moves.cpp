// The check's own moves (see moves.h).
#include "tools/desktop_check/moves.h"

#include <algorithm>
#include <string>

#include "tools/desktop_check/report.h"
#include "tools/driver/scramble.h"

namespace check {

namespace {
// Moves that changed nothing: the environment's fault unless the desktop arranges its
// icons itself, where that is what it does.
void Refused(const char* step, bool autoArranges) {
    if (!autoArranges)
        Environment("the desktop's list view refuses positions set by messages: nothing moved");
    Line(std::string(step) + ": nothing moved (auto arrange is on)");
}

SIZE Step(HWND view) {
    const SIZE spacing = Spacing(view);
    return {spacing.cx > 0 ? spacing.cx : 64, spacing.cy > 0 ? spacing.cy : 64};
}

std::string At(const Icon& icon) {
    return "(" + std::to_string(icon.x) + ", " + std::to_string(icon.y) + ")";
}
}  // namespace

int CountMoved(const Icons& before, const Icons& after) {
    return static_cast<int>(before.size()) - CountAtPlace(before, after);
}

Icons Arrange(HWND view, bool autoArranges) {
    const Icons before = ReadIcons(view);
    if (autoArranges) {
        Line("arrange: auto arrange is on: the desktop's own places are the layout");
        return before;
    }
    const SIZE step = Step(view);
    RECT client = {};
    GetClientRect(view, &client);
    const int columns = std::max(1, static_cast<int>((client.right - 2 * step.cx) / step.cx));
    const int n = static_cast<int>(before.size());
    for (int i = 0; i < n; ++i) {
        const int k = n - 1 - i;
        MoveIcon(view, i, step.cx * (1 + k % columns), step.cy * (1 + k / columns));
    }
    const Icons after = ReadIcons(view);
    if (n > 1 && CountMoved(before, after) == 0) Refused("arrange", false);
    Line("arrange: " + std::to_string(n) + " icons on grid points " + std::to_string(step.cx) +
         "x" + std::to_string(step.cy) + " apart");
    return after;
}

Icons Scramble(HWND view, unsigned seed, const Icons& from, bool autoArranges) {
    driver::ScrambleDesktop(seed);
    const Icons now = ReadIcons(view);
    const int moved = CountMoved(from, now);
    Line("scramble: " + std::to_string(moved) + " of " + std::to_string(from.size()) +
         " icons moved (list-view messages)");
    if (from.size() > 1 && moved == 0) Refused("scramble", autoArranges);
    return now;
}

Icons Swap(HWND view, const Icons& from, bool autoArranges) {
    if (from.size() < 2) return from;
    const size_t a = 0, b = from.size() - 1;
    const SIZE step = Step(view);
    // Below the lowest icon, in the first one's column: no icon stands there.
    int lowest = from[0].y;
    for (const Icon& icon : from) lowest = std::max(lowest, icon.y);
    MoveIcon(view, static_cast<int>(a), from[a].x, lowest + step.cy);
    MoveIcon(view, static_cast<int>(b), from[a].x, from[a].y);
    MoveIcon(view, static_cast<int>(a), from[b].x, from[b].y);
    const Icons now = ReadIcons(view);
    if (CountMoved(from, now) == 0) {
        Refused("swap", autoArranges);
        return now;
    }
    const bool traded = now.size() == from.size() && now[a].x == from[b].x &&
                        now[a].y == from[b].y && now[b].x == from[a].x && now[b].y == from[a].y;
    Line("swap: \"" + FromAnsi(from[a].name) + "\" " + At(from[a]) + " and \"" +
         FromAnsi(from[b].name) + "\" " + At(from[b]) +
         (traded ? " traded places"
                 : " did not trade places exactly: now " + At(now[a]) + " and " + At(now[b])));
    return now;
}

}  // namespace check

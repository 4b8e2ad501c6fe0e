// Bringing a saved place onto a visible area; see visible_place.h.
#include "desktop/restore/visible_place.h"

#include <algorithm>

namespace restore {

namespace {

// Pixels between [a0, a1) and [b0, b1) along one axis; 0 when they share one.
int64_t Gap(int64_t a0, int64_t a1, int64_t b0, int64_t b1) {
    if (a1 <= b0) return b0 - a1 + 1;
    if (b1 <= a0) return a0 - b1 + 1;
    return 0;
}

int32_t Clamp(int32_t v, int32_t low, int32_t size, int32_t high) {
    if (high - size < low) return low;  // the area is smaller than the icon
    return std::min(std::max(v, low), high - size);
}

}  // namespace

Place VisiblePlace(Place saved, const desktop::Screen& screen) {
    const int64_t cx = std::max<int32_t>(screen.iconCx, 1);
    const int64_t cy = std::max<int32_t>(screen.iconCy, 1);
    const desktop::Area* nearest = nullptr;
    int64_t best = 0;
    for (const desktop::Area& area : screen.visible) {
        if (area.right <= area.left || area.bottom <= area.top) continue;
        const int64_t dx = Gap(saved.x, saved.x + cx, area.left, area.right);
        const int64_t dy = Gap(saved.y, saved.y + cy, area.top, area.bottom);
        if (dx == 0 && dy == 0) return saved;  // seen where it was saved
        const int64_t distance = dx * dx + dy * dy;
        if (!nearest || distance < best) {
            nearest = &area;
            best = distance;
        }
    }
    if (!nearest) return saved;
    return {Clamp(saved.x, nearest->left, static_cast<int32_t>(cx), nearest->right),
            Clamp(saved.y, nearest->top, static_cast<int32_t>(cy), nearest->bottom)};
}

}  // namespace restore

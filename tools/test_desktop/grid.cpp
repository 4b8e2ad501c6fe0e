// The snapping desktop's grid (see grid.h).
#include "tools/test_desktop/grid.h"

#include <algorithm>
#include <set>
#include <utility>

namespace testdesk {

namespace {

// Steps from `origin` to the grid line nearest `value`; halfway: the lower line.
long long NearestStep(long value, long origin, long step) {
    const long long offset = static_cast<long long>(value) - origin;
    long long k = offset / step;
    if (offset % step != 0 && offset < 0) --k;  // floor
    return 2 * (offset - k * step) > step ? k + 1 : k;
}

}  // namespace

POINT NearestFreeGridPoint(POINT asked, POINT origin, SIZE spacing,
                           const std::vector<POINT>& taken) {
    if (spacing.cx <= 0 || spacing.cy <= 0) return asked;
    std::set<std::pair<long, long>> held;
    for (const POINT& p : taken) held.insert({p.x, p.y});
    const long long c0 = NearestStep(asked.x, origin.x, spacing.cx);
    const long long r0 = NearestStep(asked.y, origin.y, spacing.cy);
    const long long step = std::min(spacing.cx, spacing.cy);

    bool found = false;
    POINT best = {};
    long long bestDistance = 0;
    auto consider = [&](long long c, long long r) {
        const POINT p = {static_cast<LONG>(origin.x + c * spacing.cx),
                         static_cast<LONG>(origin.y + r * spacing.cy)};
        if (held.count({p.x, p.y})) return;
        const long long dx = p.x - asked.x, dy = p.y - asked.y;
        const long long d = dx * dx + dy * dy;
        if (!found || d < bestDistance ||
            (d == bestDistance && (p.y < best.y || (p.y == best.y && p.x < best.x)))) {
            found = true;
            best = p;
            bestDistance = d;
        }
    };
    // Rings of grid points around the nearest one: every point of ring n lies at least
    // n - 1/2 steps away from `asked`, so once that is farther than the best free point
    // found, no later ring can come nearer (or as near).
    for (long long ring = 0;; ++ring) {
        if (found && (2 * ring - 1) * (2 * ring - 1) * step * step > 4 * bestDistance) break;
        for (long long r = r0 - ring; r <= r0 + ring; ++r) {
            const bool edge = r == r0 - ring || r == r0 + ring;
            for (long long c = c0 - ring; c <= c0 + ring; c += edge || ring == 0 ? 1 : 2 * ring)
                consider(c, r);
        }
    }
    return best;
}

}  // namespace testdesk

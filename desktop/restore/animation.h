// Motion of one icon from where it stands to its saved place: every step is computed
// from the start, the speed step is read anew at each step and the abort flag after
// each step. The loop allocates nothing; each position goes to the caller's sink.
#pragma once

#include <atomic>
#include <cstdint>

namespace restore {

// Distance along the longer axis, in pixels: max(|x - tx|, |y - ty|).
int64_t AnimationDistance(int32_t x, int32_t y, int32_t tx, int32_t ty);

// Coordinate of step s (0-based) of f steps from `from` towards `to`:
// from + ((to - from) * (s + 1)) / f, the product exact, the quotient truncated toward
// zero. Requires 0 <= s < f and |to - from| <= f.
int32_t AnimationCoord(int32_t from, int32_t to, int64_t s, int64_t f);

// Sends the icon from (x, y) to (tx, ty) through set(nx, ny). Nothing is sent when
// the icon is in place already. After each step the abort flag is tested; when it is
// raised the icon stays where the step put it. Otherwise the exact target is set once
// more at the end. A speed step below 1 counts as 1, so the motion always ends.
// True when the icon was sent to its target (the abort may come after the step that
// reached it), false when it stood there already or the abort stopped it on the way.
template <typename SetPosition>
bool AnimateIcon(int32_t x, int32_t y, int32_t tx, int32_t ty, const std::atomic<int32_t>& abort,
                 const std::atomic<int32_t>& speed, SetPosition&& set) {
    const int64_t f = AnimationDistance(x, y, tx, ty);
    if (f == 0) return false;
    int64_t s = 0;
    do {
        const int32_t nx = AnimationCoord(x, tx, s, f);
        const int32_t ny = AnimationCoord(y, ty, s, f);
        set(nx, ny);
        if (abort.load(std::memory_order_relaxed) != 0) return nx == tx && ny == ty;
        const int32_t step = speed.load(std::memory_order_relaxed);
        s += step < 1 ? 1 : step;
    } while (s < f);
    if (abort.load(std::memory_order_relaxed) != 0) return false;
    set(tx, ty);
    return true;
}

}  // namespace restore

// Step arithmetic of the icon animation, safe for any pair of 32-bit coordinates.
#include "desktop/restore/animation.h"

namespace restore {

namespace {

uint64_t Magnitude(int64_t v) {
    return v < 0 ? static_cast<uint64_t>(-v) : static_cast<uint64_t>(v);
}

}  // namespace

int64_t AnimationDistance(int32_t x, int32_t y, int32_t tx, int32_t ty) {
    const uint64_t dx = Magnitude(int64_t{x} - tx);
    const uint64_t dy = Magnitude(int64_t{y} - ty);
    return static_cast<int64_t>(dx > dy ? dx : dy);
}

int32_t AnimationCoord(int32_t from, int32_t to, int64_t s, int64_t f) {
    // |to - from| and s + 1 are both at most f < 2^32, so the product of the magnitudes
    // fits in 64 unsigned bits; dividing magnitudes truncates toward zero.
    const int64_t diff = int64_t{to} - from;
    const uint64_t part = Magnitude(diff) * static_cast<uint64_t>(s + 1) / static_cast<uint64_t>(f);
    const int64_t delta = diff < 0 ? -static_cast<int64_t>(part) : static_cast<int64_t>(part);
    return static_cast<int32_t>(from + delta);
}

}  // namespace restore

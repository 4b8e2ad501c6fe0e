// The nearest free place on the grid of the icon spacing; see free_place.h.
#include "desktop/restore/free_place.h"

#include <algorithm>
#include <cstdlib>

namespace restore {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

size_t Hash(int64_t cellX, int64_t cellY) {
    return static_cast<size_t>(static_cast<uint64_t>(cellX) * 0x9E3779B97F4A7C15u ^
                               static_cast<uint64_t>(cellY) * 0xC2B2AE3D27D4EB4Fu);
}

}  // namespace

std::vector<FreePlaces::Step> FreePlaces::MakeRing(int r, int64_t cx, int64_t cy) {
    std::vector<Step> steps;
    steps.reserve(static_cast<size_t>(8 * r));
    for (int j = -r; j <= r; ++j)
        for (int i = -r; i <= r; ++i)
            if (std::abs(i) == r || std::abs(j) == r) steps.push_back({i, j});
    std::sort(steps.begin(), steps.end(), [&](Step a, Step b) {
        const int64_t da = a.i * cx * a.i * cx + a.j * cy * a.j * cy;
        const int64_t db = b.i * cx * b.i * cx + b.j * cy * b.j * cy;
        // Equal distances: the upper row first, in a row the left place first.
        if (da != db) return da < db;
        return a.j != b.j ? a.j < b.j : a.i < b.i;
    });
    return steps;
}

const std::vector<FreePlaces::Step>& FreePlaces::Ring(int r) const {
    while (m_rings.size() < static_cast<size_t>(r)) {
        m_rings.push_back(MakeRing(static_cast<int>(m_rings.size()) + 1, m_cx, m_cy));
    }
    return m_rings[static_cast<size_t>(r) - 1];
}

FreePlaces::FreePlaces(const desktop::Screen& screen, size_t expected)
    : m_cx(screen.iconCx), m_cy(screen.iconCy), m_visible(screen.visible) {
    size_t buckets = 64;
    while (buckets < 2 * expected) buckets *= 2;
    m_buckets.resize(buckets);
    m_visible.erase(std::remove_if(m_visible.begin(), m_visible.end(),
                                   [](const desktop::Area& a) {
                                       return a.right <= a.left || a.bottom <= a.top;
                                   }),
                    m_visible.end());
}

std::vector<int>& FreePlaces::Bucket(int64_t cellX, int64_t cellY) {
    return m_buckets[Hash(cellX, cellY) & (m_buckets.size() - 1)];
}

const std::vector<int>& FreePlaces::Bucket(int64_t cellX, int64_t cellY) const {
    return m_buckets[Hash(cellX, cellY) & (m_buckets.size() - 1)];
}

std::vector<int>& FreePlaces::BucketOf(Place p) {
    return Bucket(FloorDiv(p.x, m_cx), FloorDiv(p.y, m_cy));
}

int FreePlaces::Add(Place p, bool pinned) {
    const int id = static_cast<int>(m_boxes.size());
    m_boxes.push_back({p, pinned});
    if (m_cx > 0 && m_cy > 0) BucketOf(p).push_back(id);
    return id;
}

template <class F>
bool FreePlaces::AnyOverlapping(Place p, F f) const {
    if (m_cx <= 0 || m_cy <= 0) return false;
    // A box overlapping one at p has its corner less than one spacing away on each axis,
    // so in p's cell or one of its eight neighbours.
    const int64_t px = FloorDiv(p.x, m_cx);
    const int64_t py = FloorDiv(p.y, m_cy);
    for (int64_t cy = py - 1; cy <= py + 1; ++cy) {
        for (int64_t cx = px - 1; cx <= px + 1; ++cx) {
            for (const int id : Bucket(cx, cy)) {
                const Place q = m_boxes[static_cast<size_t>(id)].p;
                const bool overlap =
                    int64_t{q.x} < int64_t{p.x} + m_cx && int64_t{p.x} < int64_t{q.x} + m_cx &&
                    int64_t{q.y} < int64_t{p.y} + m_cy && int64_t{p.y} < int64_t{q.y} + m_cy;
                if (overlap && f(id)) return true;
            }
        }
    }
    return false;
}

bool FreePlaces::OverlapsPinned(int id) const {
    return AnyOverlapping(At(id), [&](int other) {
        return other != id && m_boxes[static_cast<size_t>(other)].pinned;
    });
}

std::vector<int> FreePlaces::PinnedOverlapping(int id) const {
    std::vector<int> pinned;
    AnyOverlapping(At(id), [&](int other) {
        if (other != id && m_boxes[static_cast<size_t>(other)].pinned) pinned.push_back(other);
        return false;
    });
    std::sort(pinned.begin(), pinned.end());
    return pinned;
}

bool FreePlaces::Inside(Place p) const {
    for (const desktop::Area& a : m_visible)
        if (a.left <= p.x && int64_t{p.x} + m_cx <= a.right && a.top <= p.y &&
            int64_t{p.y} + m_cy <= a.bottom)
            return true;
    return false;
}

std::optional<Place> FreePlaces::Nearest(int id) {
    if (m_cx <= 0 || m_cy <= 0 || m_visible.empty()) return std::nullopt;
    const Place from = At(id);
    const int64_t cx = m_cx;
    const int64_t cy = m_cy;
    const Place grid{static_cast<int32_t>(from.x - FloorDiv(from.x, cx) * cx),
                     static_cast<int32_t>(from.y - FloorDiv(from.y, cy) * cy)};
    for (const Place full : m_fullGrids)
        if (full.x == grid.x && full.y == grid.y) return std::nullopt;
    for (int r = 1;; ++r) {
        // Ring r covers the square of rings 0..r less the square of rings 0..r-1.
        const int64_t outerL = from.x - r * cx, outerR = from.x + (r + 1) * cx;
        const int64_t outerT = from.y - r * cy, outerB = from.y + (r + 1) * cy;
        const int64_t innerL = outerL + cx, innerR = outerR - cx;
        const int64_t innerT = outerT + cy, innerB = outerB - cy;
        bool meetsVisible = false;
        bool holdsAll = true;
        for (const desktop::Area& a : m_visible) {
            const bool meetsOuter =
                a.left < outerR && outerL < a.right && a.top < outerB && outerT < a.bottom;
            const bool withinInner =
                innerL <= a.left && a.right <= innerR && innerT <= a.top && a.bottom <= innerB;
            const bool withinOuter =
                outerL <= a.left && a.right <= outerR && outerT <= a.top && a.bottom <= outerB;
            if (meetsOuter && !withinInner) meetsVisible = true;
            if (!withinOuter) holdsAll = false;
        }
        if (meetsVisible) {
            for (const Step s : Ring(r)) {
                const int64_t x = from.x + s.i * cx;
                const int64_t y = from.y + s.j * cy;
                if (x < -32768 || x > 32767 || y < -32768 || y > 32767) continue;
                const Place p{static_cast<int32_t>(x), static_cast<int32_t>(y)};
                if (!Inside(p)) continue;
                if (AnyOverlapping(p, [&](int other) { return other != id; })) continue;
                return p;
            }
        }
        if (holdsAll) {
            m_fullGrids.push_back(grid);
            return std::nullopt;
        }
    }
}

void FreePlaces::MoveTo(int id, Place p) {
    Box& box = m_boxes[static_cast<size_t>(id)];
    if (m_cx > 0 && m_cy > 0) {
        std::vector<int>& cell = BucketOf(box.p);
        cell.erase(std::find(cell.begin(), cell.end(), id));
        BucketOf(p).push_back(id);
    }
    box.p = p;
}

}  // namespace restore

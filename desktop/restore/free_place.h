// The nearest free place for an icon: a search on the grid of the icon spacing around
// the icon's own place, among the boxes of every icon, indexed by cell so that a test
// for overlap looks at a few boxes only, never at all of them.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "desktop/desktop.h"
#include "desktop/restore/visible_place.h"

namespace restore {

// An icon at (x, y) covers [x, x + iconCx) x [y, y + iconCy); two boxes overlap when
// they share a pixel (boxes that only touch do not). With no icon size known nothing
// overlaps.
class FreePlaces {
public:
    // `expected`: about how many boxes will be added (sizes the index).
    FreePlaces(const desktop::Screen& screen, size_t expected);

    // Adds the box of an icon at `p`; `pinned` boxes (icons at their restored places)
    // are the ones other icons are moved off. Returns the box's id: 0, 1, 2...
    int Add(Place p, bool pinned);
    Place At(int id) const { return m_boxes[static_cast<size_t>(id)].p; }
    bool OverlapsPinned(int id) const;
    // The pinned boxes that overlap box `id`, by id.
    std::vector<int> PinnedOverlapping(int id) const;
    // The first place on the grid around box `id`'s place, ring by ring outward (ring r:
    // the places r steps of the spacing away across or down, whichever is more), in a
    // ring the nearest first, ties above before below, then left before right; whose box
    // lies inside one visible area and overlaps no other box. Rings that meet no visible
    // area are passed over (a gap between monitors); the search ends once its square
    // holds every visible area. Nullopt then, and always when no visible area is known
    // or no icon size. A grid (the place's offset within the spacing) found full is not
    // searched again: boxes are only ever added or moved onto free places.
    std::optional<Place> Nearest(int id);
    void MoveTo(int id, Place p);

private:
    struct Box {
        Place p;
        bool pinned;
    };
    // A place of a ring as steps of the spacing across (i) and down (j).
    struct Step {
        int i, j;
    };
    // The places of ring r (r >= 1) in search order; made once per search object.
    static std::vector<Step> MakeRing(int r, int64_t cx, int64_t cy);
    const std::vector<Step>& Ring(int r) const;
    std::vector<int>& Bucket(int64_t cellX, int64_t cellY);
    const std::vector<int>& Bucket(int64_t cellX, int64_t cellY) const;
    std::vector<int>& BucketOf(Place p);
    // Calls f(id) for each box that overlaps a box at `p`; stops when f returns true.
    template <class F>
    bool AnyOverlapping(Place p, F f) const;
    bool Inside(Place p) const;

    int32_t m_cx;
    int32_t m_cy;
    std::vector<desktop::Area> m_visible;
    std::vector<Box> m_boxes;
    // Boxes by the cell of their top-left corner (cells of one icon spacing), hashed
    // into a fixed number of buckets; a bucket may hold boxes of other cells too.
    std::vector<std::vector<int>> m_buckets;
    mutable std::vector<std::vector<Step>> m_rings;
    // Grids found full, as the offset of their places within the spacing.
    std::vector<Place> m_fullGrids;
};

}  // namespace restore

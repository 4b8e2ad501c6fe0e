// Icons for the test desktop and their saved places: many icons on a grid with room for
// their labels (a list view of overlapping icons paints very slowly), or any icons with
// a saved layout a few pixels off.
#pragma once

#include <vector>

#include "tests/e2e/harness/registry.h"
#include "tools/test_desktop/test_desktop_client.h"

namespace e2e {

// Saved layout entries for `items`: each `offset` pixels right and down of where the
// item stands, its name converted from the ANSI code page.
std::vector<SeedIcon> SavedPlaces(const std::vector<testdesk::TestItem>& items, int offset);

struct IconGrid {
    std::vector<testdesk::TestItem> items;
    std::vector<SeedIcon> saved;
};
// `n` icons "icon 0".. on a grid 40 wide, and their saved places `offset` pixels off.
IconGrid MakeGrid(int n, int offset);

// Seeds two layouts: "home" (the grid's saved places) and "other" (one icon). Returns
// what the registry holds once a restore of "home" has begun: both, and the snapshot of
// where the grid's icons stood (the 98 scheme reads no names).
LayoutValues SeedHomeAndOther(const IconGrid& grid, bool win98);

// Indexes of the items of `now` that do not stand where `saved` puts them (all of
// them when the counts differ).
std::vector<size_t> Misplaced(const std::vector<testdesk::TestItem>& now,
                              const std::vector<SeedIcon>& saved);

}  // namespace e2e

// Icon grids and saved places (see grids.h).
#include "tests/e2e/harness/grids.h"

#include <string>

#include "store/layout_store.h"

namespace e2e {

std::vector<SeedIcon> SavedPlaces(const std::vector<testdesk::TestItem>& items, int offset) {
    std::vector<SeedIcon> saved;
    for (const testdesk::TestItem& item : items) {
        wchar_t name[256] = {};
        MultiByteToWideChar(CP_ACP, 0, item.text.c_str(), -1, name, 256);
        saved.push_back({PackIconPos(item.x + offset, item.y + offset), name});
    }
    return saved;
}

IconGrid MakeGrid(int n, int offset) {
    IconGrid grid;
    for (int i = 0; i < n; ++i)
        grid.items.push_back({80 * (i % 40) + 10, 70 * (i / 40) + 10, "icon " + std::to_string(i)});
    grid.saved = SavedPlaces(grid.items, offset);
    return grid;
}

LayoutValues SeedHomeAndOther(const IconGrid& grid, bool win98) {
    const SeedLayout home{L"home", grid.saved}, other = OtherLayout();
    SeedLayouts({home, other});
    std::vector<SeedIcon> before = SavedPlaces(grid.items, 0);
    if (win98)
        for (SeedIcon& icon : before) icon.name.clear();
    return ValuesOf({home, other, {kSnapshotTitle, before}});
}

std::vector<size_t> Misplaced(const std::vector<testdesk::TestItem>& now,
                              const std::vector<SeedIcon>& saved) {
    std::vector<size_t> off;
    for (size_t i = 0; i < now.size(); ++i)
        if (now.size() != saved.size() || PackIconPos(now[i].x, now[i].y) != saved[i].packedPos)
            off.push_back(i);
    return off;
}

}  // namespace e2e

// The scene the restore benchmarks share: icons on a grid with room for their labels
// (a list view of overlapping icons paints very slowly), and a store of two layouts of
// them, "home" and "away".
#pragma once

#include <string>
#include <vector>

#include "store/layout_store.h"
#include "tools/test_desktop/test_desktop_client.h"

// `n` icons, 15 a row, shifted by `shift`; the first 2 * `pairs` named alike in twos.
inline std::vector<testdesk::TestItem> BenchGrid(int n, int shift, int pairs = 0) {
    std::vector<testdesk::TestItem> items;
    for (int i = 0; i < n; ++i) {
        const std::string name =
            i < 2 * pairs ? "pair " + std::to_string(i / 2) : "icon " + std::to_string(i);
        items.push_back({(i % 15) * 80 + shift, (i / 15) * 70 + shift, name});
    }
    return items;
}

// Layout 0 "home" holds the places of `places[0]`, layout 1 "away" those of `places[1]`.
inline void AddHomeAndAway(CLayoutStore& store,
                           const std::vector<testdesk::TestItem> (&places)[2]) {
    for (int layout : {0, 1}) {
        store.SetTitle(layout, layout == 0 ? "home" : "away");
        for (const auto& item : places[layout])
            store.AddIconXY(layout, item.x, item.y, item.text.c_str());
    }
}

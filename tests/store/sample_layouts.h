// Layouts for tests of saving and loading, each recognisable by its id, so that a mix
// of two stores shows; copies of stores with some paths left out; and the path values
// a save of a store leaves.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "store/layout_store.h"

// Layout `id` at index `at`: title "T<id>", icons "icon <id>.<j>" at (id * 100 + j, j).
// With paths, every icon but the second has one of its own, non-ASCII included.
inline void AddSampleLayout(CLayoutStore& store, int at, int id, int icons, bool paths = false) {
    store.SetTitle(at, ("T" + std::to_string(id)).c_str());
    for (int j = 0; j < icons; ++j) {
        store.AddIconXY(at, id * 100 + j, j,
                        ("icon " + std::to_string(id) + "." + std::to_string(j)).c_str());
        if (paths && j != 1)
            store.SetIconPath(at, j,
                              L"C:\\Users\\caf\u00E9\\" + std::to_wstring(id) + L"\U0001F600" +
                                  std::to_wstring(j));
    }
}

// Appends every layout of `from` to `to`, with the paths of the layouts keepPaths(i)
// accepts.
template <typename KeepPaths>
void CopyLayouts(const CLayoutStore& from, CLayoutStore& to, KeepPaths keepPaths) {
    const int base = to.GetCount();
    for (int i = 0; i < from.GetCount(); ++i) {
        to.SetTitle(base + i, from.GetTitle(i).c_str());
        for (int j = 0; j < from.GetIconCount(i); ++j) {
            to.AddIcon(base + i, from.GetPackedPos(i, j), from.GetIconName(i, j));
            if (keepPaths(i)) to.SetIconPath(base + i, j, from.GetIconPath(i, j));
        }
    }
}

inline void CopyWithoutPaths(const CLayoutStore& from, CLayoutStore& to) {
    CopyLayouts(from, to, [](int) { return false; });
}

// The Path and PathCheck values a save of `store` leaves in "Pos", sorted.
inline std::vector<std::string> PathNamesOf(const CLayoutStore& store) {
    std::vector<std::string> names;
    for (int i = 0; i < store.GetCount(); ++i) {
        bool any = false;
        for (int j = 0; j < store.GetIconCount(i); ++j) {
            if (store.GetIconPath(i, j).empty()) continue;
            any = true;
            names.push_back("Path[" + std::to_string(i) + "][" + std::to_string(j) + "]");
        }
        if (any) names.push_back("PathCheck[" + std::to_string(i) + "]");
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The Path and PathCheck names among a section's value names.
inline std::vector<std::string> PathNames(const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        if (name.rfind("Path", 0) == 0) paths.push_back(name);
    }
    return paths;
}

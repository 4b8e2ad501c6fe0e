// The view object's kept places (see kept_places.h).
#include "tools/test_desktop/view_object/kept_places.h"

#include <cstdio>
#include <utility>

namespace testdesk {

namespace {
struct Kept {
    std::string path;
    std::vector<int> itemAt;      // by list-view index
    std::map<int, POINT> places;  // by item
};
Kept g_kept;
}  // namespace

std::map<int, POINT> KeepPlacesIn(const std::string& path, std::vector<int> itemAt) {
    g_kept = Kept{path, std::move(itemAt), {}};
    if (path.empty()) return {};
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        int item = 0;
        long x = 0, y = 0;
        while (std::fscanf(f, "%d %ld %ld", &item, &x, &y) == 3)
            if (item >= 0) g_kept.places[item] = POINT{x, y};
        std::fclose(f);
    }
    return g_kept.places;
}

void KeepToldPlace(int index, POINT pt) {
    if (g_kept.path.empty() || index < 0) return;
    const auto at = static_cast<size_t>(index);
    g_kept.places[at < g_kept.itemAt.size() ? g_kept.itemAt[at] : index] = pt;
}

void SaveKeptPlaces() {
    if (g_kept.path.empty()) return;
    // Written beside and renamed over, so that a process ended mid-write keeps the last.
    const std::string part = g_kept.path + ".part";
    std::FILE* f = std::fopen(part.c_str(), "wb");
    if (!f) return;
    for (const auto& [item, pt] : g_kept.places)
        std::fprintf(f, "%d %ld %ld\n", item, static_cast<long>(pt.x), static_cast<long>(pt.y));
    if (std::fclose(f) == 0)
        MoveFileExA(part.c_str(), g_kept.path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace testdesk

// A restore's plan from one reading of the desktop; see restore_plan.h.
#include "desktop/restore/restore_plan.h"

#include <algorithm>
#include <cstdlib>

#include "desktop/restore/free_place.h"
#include "desktop/restore/name_pairing.h"
#include "desktop/restore/path_pairing.h"
#include "store/layout_store.h"

namespace restore {

namespace {

bool Home(Place from, Place target, const desktop::Screen& screen, bool nearIsHome) {
    if (from.x == target.x && from.y == target.y) return true;
    if (!nearIsHome) return false;
    const int64_t dx = std::llabs(int64_t{from.x} - target.x);
    const int64_t dy = std::llabs(int64_t{from.y} - target.y);
    return 2 * dx <= screen.iconCx && 2 * dy <= screen.iconCy;
}

}  // namespace

std::optional<Before> ReadBefore(desktop::Desktop& desk, desktop::ViewId view,
                                 desktop::AccessContext& context, desktop::Scheme scheme) {
    const int count = desk.CountItems(view);
    if (desk.Lost()) return std::nullopt;
    Before before;
    if (!desktop::ReadIconsWith(desk, context, count, scheme, before.icons)) return std::nullopt;
    before.screen = desk.ReadScreen(view);
    if (desk.Lost()) return std::nullopt;
    return before;
}

Place SentPlace(const CLayoutStore& store, int layout, const desktop::Screen& screen, int icon) {
    Place saved{0, 0};
    store.GetIconPos(layout, icon, saved.x, saved.y);
    return VisiblePlace(saved, screen);
}

Plan PlanRestore(const CLayoutStore& store, int layout, desktop::Scheme scheme,
                 const Before& before, bool nearIsHome) {
    Plan plan;
    FreePlaces boxes(before.screen, before.icons.size());
    const int n = static_cast<int>(before.icons.size());
    const bool byName = scheme == desktop::Scheme::RemoteByName;
    // The saved icon of each desktop icon: on the NT family first by the shell's parsing
    // name, then by name among those left; elsewhere by index.
    std::vector<int> savedOf(static_cast<size_t>(n), -1);
    if (byName) {
        PathPairing paths(store, layout);
        if (paths.Any())
            for (int i = 0; i < n; ++i)
                savedOf[static_cast<size_t>(i)] =
                    paths.Take(before.icons[static_cast<size_t>(i)].path);
        NamePairing names(store, layout, paths.Taken());
        for (int i = 0; i < n; ++i)
            if (savedOf[static_cast<size_t>(i)] < 0)
                savedOf[static_cast<size_t>(i)] =
                    names.Take(before.icons[static_cast<size_t>(i)].name);
    } else {
        for (int i = 0; i < std::min(n, store.GetIconCount(layout)); ++i)
            savedOf[static_cast<size_t>(i)] = i;
    }
    // Box ids are item indexes: every icon where the restore leaves it.
    std::vector<int> unpaired;
    for (int i = 0; i < n; ++i) {
        const desktop::ReadIcon& icon = before.icons[static_cast<size_t>(i)];
        const Place from{icon.x, icon.y};
        const int j = savedOf[static_cast<size_t>(i)];
        if (j < 0) {
            boxes.Add(from, false);
            unpaired.push_back(i);
            continue;
        }
        const Place target = SentPlace(store, layout, before.screen, j);
        plan.paired.push_back({i, icon.name, from, target});
        boxes.Add(target, true);
        if (from.x == target.x && from.y == target.y) continue;
        if (!Home(from, target, before.screen, nearIsHome)) plan.movesAny = true;
    }
    std::vector<bool> moved(static_cast<size_t>(n), false);
    for (const PairedIcon& icon : plan.paired)
        moved[static_cast<size_t>(icon.index)] =
            icon.from.x != icon.target.x || icon.from.y != icon.target.y;
    for (const int i : unpaired) {
        std::vector<int> under = boxes.PinnedOverlapping(i);
        if (under.empty()) continue;
        const std::optional<Place> free = boxes.Nearest(i);
        if (!free) continue;
        boxes.MoveTo(i, *free);
        moved[static_cast<size_t>(i)] = true;
        plan.unburied.push_back(
            {i, before.icons[static_cast<size_t>(i)].name, *free, std::move(under)});
    }
    plan.movesAny = plan.movesAny || !plan.unburied.empty();
    for (int i = 0; i < n; ++i)
        if (!moved[static_cast<size_t>(i)]) plan.steady.push_back(i);
    return plan;
}

}  // namespace restore

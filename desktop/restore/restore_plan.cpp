// A restore's plan from one reading of the desktop; see restore_plan.h.
#include "desktop/restore/restore_plan.h"

#include <algorithm>

#include "desktop/restore/free_place.h"
#include "desktop/restore/name_pairing.h"
#include "store/layout_store.h"

namespace restore {

std::optional<Before> ReadBefore(desktop::Desktop& desk, desktop::Scheme scheme) {
    const desktop::ViewId view = desk.FindView();
    if (view == 0) return std::nullopt;
    const int count = desk.CountItems(view);
    if (desk.Lost()) return std::nullopt;
    Before before;
    if (!desktop::ReadIcons(desk, view, count, scheme, before.icons)) return std::nullopt;
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
                 const Before& before) {
    Plan plan;
    FreePlaces boxes(before.screen, before.icons.size());
    const int n = static_cast<int>(before.icons.size());
    // Box ids are item indexes: every icon where the restore leaves it.
    std::vector<int> unpaired;
    if (scheme == desktop::Scheme::RemoteByName) {
        NamePairing pairing(store, layout);
        for (int i = 0; i < n; ++i) {
            const desktop::ReadIcon& icon = before.icons[static_cast<size_t>(i)];
            const int j = pairing.Take(icon.name);
            if (j < 0) {
                boxes.Add({icon.x, icon.y}, false);
                unpaired.push_back(i);
                continue;
            }
            const Place target = SentPlace(store, layout, before.screen, j);
            plan.movesAny = plan.movesAny || target.x != icon.x || target.y != icon.y;
            boxes.Add(target, true);
        }
    } else {
        const int paired = std::min(n, store.GetIconCount(layout));
        for (int i = 0; i < n; ++i) {
            const desktop::ReadIcon& icon = before.icons[static_cast<size_t>(i)];
            if (i >= paired) {
                boxes.Add({icon.x, icon.y}, false);
                unpaired.push_back(i);
                continue;
            }
            const Place target = SentPlace(store, layout, before.screen, i);
            plan.movesAny = plan.movesAny || target.x != icon.x || target.y != icon.y;
            boxes.Add(target, true);
        }
    }
    for (const int i : unpaired) {
        if (!boxes.OverlapsPinned(i)) continue;
        const std::optional<Place> free = boxes.Nearest(i);
        if (!free) continue;
        boxes.MoveTo(i, *free);
        plan.unburied.push_back({i, before.icons[static_cast<size_t>(i)].name, free->x, free->y});
    }
    plan.movesAny = plan.movesAny || !plan.unburied.empty();
    return plan;
}

}  // namespace restore

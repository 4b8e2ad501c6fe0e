// Both restore variants against the desktop interface; see restore_logic.h.
#include "desktop/restore/restore_logic.h"

#include <algorithm>
#include <string>
#include <utility>

#include "desktop/restore/animation.h"
#include "desktop/restore/name_pairing.h"
#include "desktop/restore/restore_plan.h"
#include "desktop/restore/visible_place.h"
#include "store/layout_store.h"

namespace restore {

namespace {

bool Aborted(const RestoreJob& job) { return job.abort.load(std::memory_order_relaxed) != 0; }

// Where saved icon `icon` is sent on this screen (its saved place, or the nearest
// visible one).
Place Target(const RestoreJob& job, const desktop::Screen& screen, int icon) {
    return SentPlace(job.store, job.layout, screen, icon);
}

// The icons the restore did not pair, moved off the restored ones' places (not after
// an abort); those the view took are added to `placed` when given.
void Unbury(desktop::Desktop& desk, desktop::ViewId view, const RestoreJob& job,
            std::vector<desktop::PlacedIcon>* placed) {
    if (!job.unburied || Aborted(job)) return;
    for (const desktop::PlacedIcon& icon : *job.unburied) {
        if (desk.Lost()) return;
        if (desk.SetPosition(view, icon.index, icon.x, icon.y) && placed) placed->push_back(icon);
    }
}

// Animates desktop item `item` from its current position to `target`; true when it was
// sent there and the view took that last position. A position that could not be read
// is never used: the item is left alone.
bool AnimateItem(desktop::Desktop& desk, desktop::ViewId view, desktop::AccessContext& ctx,
                 const RestoreJob& job, int item, Place target) {
    int32_t x = 0;
    int32_t y = 0;
    if (!ctx.ReadPosition(item, x, y)) return false;
    bool taken = false;
    // Once the view is lost, the remaining steps send nothing: they cost no time.
    const bool reached =
        AnimateIcon(x, y, target.x, target.y, job.abort, job.speed,
                    [&](int32_t nx, int32_t ny) { taken = desk.SetPosition(view, item, nx, ny); });
    return reached && taken;
}

}  // namespace

std::vector<desktop::PlacedIcon> RestoreByName(desktop::Desktop& desk, const RestoreJob& job) {
    std::vector<desktop::PlacedIcon> placed;
    const desktop::ViewId view = desk.FindView();
    if (view == 0) return placed;
    const std::unique_ptr<desktop::AccessContext> ctx = desk.OpenRemote(view);
    if (!ctx) return placed;
    const int count = desk.CountItems(view);
    if (job.mode != kRestoreInstant && job.mode != kRestoreAnimated) return placed;
    const desktop::Screen screen = desk.ReadScreen(view);
    NamePairing pairing(job.store, job.layout);
    for (int i = 0; i < count && !desk.Lost(); ++i) {
        std::string text = ctx->ReadText(i);
        const int j = pairing.Take(text);
        if (j < 0) continue;
        const Place target = Target(job, screen, j);
        if (job.progress) job.progress->store(i + 1);
        if (job.mode == kRestoreInstant) {
            if (desk.SetPosition(view, i, target.x, target.y))
                placed.push_back({i, std::move(text), target.x, target.y});
            continue;
        }
        if (AnimateItem(desk, view, *ctx, job, i, target))
            placed.push_back({i, std::move(text), target.x, target.y});
        if (Aborted(job)) break;
    }
    if (job.progress && job.unburied && !job.unburied->empty()) job.progress->store(count);
    Unbury(desk, view, job, &placed);
    if (desk.Lost()) placed.clear();
    return placed;
}

void RestoreByIndex(desktop::Desktop& desk, const RestoreJob& job) {
    const desktop::ViewId view = desk.FindView();
    if (view == 0) return;
    const int count = std::min(desk.CountItems(view), job.store.GetIconCount(job.layout));
    if (desk.Lost()) return;
    if (job.mode != kRestoreInstant && job.mode != kRestoreAnimated) return;
    const desktop::Screen screen = desk.ReadScreen(view);
    if (desk.Lost()) return;
    if (job.mode == kRestoreInstant) {
        for (int i = 0; i < count && !desk.Lost(); ++i) {
            const Place target = Target(job, screen, i);
            desk.SetPosition(view, i, target.x, target.y);
        }
        Unbury(desk, view, job, nullptr);
        return;
    }
    const std::unique_ptr<desktop::AccessContext> ctx = desk.OpenShared(view);
    if (!ctx) return;
    for (int i = 0; i < count && !desk.Lost(); ++i) {
        AnimateItem(desk, view, *ctx, job, i, Target(job, screen, i));
        if (Aborted(job)) break;
    }
    Unbury(desk, view, job, nullptr);
}

}  // namespace restore

// Both restore variants against the desktop interface; see restore_logic.h.
#include "desktop/restore/restore_logic.h"

#include <algorithm>
#include <string>
#include <utility>

#include "desktop/restore/animation.h"
#include "store/layout_store.h"

namespace restore {

namespace {

bool Aborted(const RestoreJob& job) { return job.abort.load(std::memory_order_relaxed) != 0; }

// Animates desktop item `item` from its current position to saved icon `icon`; true
// when it was sent to the target. A position that could not be read is never used: the
// item is left alone.
bool AnimateItem(desktop::Desktop& desk, desktop::ViewId view, desktop::AccessContext& ctx,
                 const RestoreJob& job, int item, int icon) {
    int32_t x = 0;
    int32_t y = 0;
    if (!ctx.ReadPosition(item, x, y)) return false;
    int32_t tx = 0;
    int32_t ty = 0;
    job.store.GetIconPos(job.layout, icon, tx, ty);
    // Once the view is lost, the remaining steps send nothing: they cost no time.
    return AnimateIcon(x, y, tx, ty, job.abort, job.speed,
                       [&](int32_t nx, int32_t ny) { desk.SetPosition(view, item, nx, ny); });
}

void SetToSaved(desktop::Desktop& desk, desktop::ViewId view, const RestoreJob& job, int item,
                int icon) {
    int32_t tx = 0;
    int32_t ty = 0;
    job.store.GetIconPos(job.layout, icon, tx, ty);
    desk.SetPosition(view, item, tx, ty);
}

desktop::PlacedIcon Placed(const RestoreJob& job, int item, std::string text, int icon) {
    desktop::PlacedIcon placed{item, std::move(text), 0, 0};
    job.store.GetIconPos(job.layout, icon, placed.x, placed.y);
    return placed;
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
    for (int i = 0; i < count && !desk.Lost(); ++i) {
        std::string text = ctx->ReadText(i);
        const int j = job.store.FindIconName(job.layout, text.c_str());
        if (j < 0) continue;
        if (job.mode == kRestoreInstant) {
            SetToSaved(desk, view, job, i, j);
            placed.push_back(Placed(job, i, std::move(text), j));
            continue;
        }
        if (AnimateItem(desk, view, *ctx, job, i, j))
            placed.push_back(Placed(job, i, std::move(text), j));
        if (Aborted(job)) break;
    }
    if (desk.Lost()) placed.clear();
    return placed;
}

void RestoreByIndex(desktop::Desktop& desk, const RestoreJob& job) {
    const desktop::ViewId view = desk.FindView();
    if (view == 0) return;
    const int count = std::min(desk.CountItems(view), job.store.GetIconCount(job.layout));
    if (desk.Lost()) return;
    if (job.mode == kRestoreInstant) {
        for (int i = 0; i < count && !desk.Lost(); ++i) SetToSaved(desk, view, job, i, i);
        return;
    }
    if (job.mode != kRestoreAnimated) return;
    const std::unique_ptr<desktop::AccessContext> ctx = desk.OpenShared(view);
    if (!ctx) return;
    for (int i = 0; i < count && !desk.Lost(); ++i) {
        AnimateItem(desk, view, *ctx, job, i, i);
        if (Aborted(job)) break;
    }
}

}  // namespace restore

// The course of one restore against the desktop interface; see restore_logic.h.
#include "desktop/restore/restore_logic.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "desktop/restore/animation.h"
#include "desktop/restore/path_pairing.h"
#include "desktop/restore/restore_plan.h"
#include "desktop/restore/snap_switch.h"

namespace restore {

namespace {

bool Aborted(const RestoreJob& job) { return job.abort.load(std::memory_order_relaxed) != 0; }

// The moves of one plan through one access context.
class Mover {
public:
    Mover(desktop::Desktop& desk, desktop::ViewId view, desktop::AccessContext& ctx,
          const RestoreJob& job)
        : m_desk(desk), m_view(view), m_ctx(ctx), m_job(job) {}

    // Whether item `index` still carries the text read for it (NT family): the shell's
    // items may have been renumbered since the reading. The shared scheme reads no texts.
    bool StillThere(int index, const std::string& text) {
        if (m_job.scheme != desktop::Scheme::RemoteByName) return true;
        return m_ctx.ReadText(index) == text && !m_desk.Lost();
    }

    bool Set(int index, Place p) { return m_desk.SetPosition(m_view, index, p.x, p.y); }

    // Glides item `index` from where it stands now to `target`; true when it was sent
    // there and the view took that last position. A position that could not be read is
    // never used: the item is left alone.
    bool Glide(int index, Place target) {
        int32_t x = 0;
        int32_t y = 0;
        if (!m_ctx.ReadPosition(index, x, y)) return false;
        bool taken = false;
        // Once the view is lost, the remaining steps send nothing: they cost no time.
        const bool reached = AnimateIcon(
            x, y, target.x, target.y, m_job.abort, m_job.speed,
            [&](int32_t nx, int32_t ny) { taken = m_desk.SetPosition(m_view, index, nx, ny); });
        return reached && taken;
    }

private:
    desktop::Desktop& m_desk;
    desktop::ViewId m_view;
    desktop::AccessContext& m_ctx;
    const RestoreJob& m_job;
};

std::unique_ptr<desktop::AccessContext> Open(desktop::Desktop& desk, desktop::ViewId view,
                                             desktop::Scheme scheme) {
    return scheme == desktop::Scheme::RemoteByName ? desk.OpenRemote(view) : desk.OpenShared(view);
}

// The paired icons, then those moved off restored ones. Returns the icons now at their
// places, in the order they were placed: every paired icon the view took when instant;
// when animated, those whose glide ended on the target (not one that stood there
// already, nor the one an abort stopped); then the unburied ones the view took.
std::vector<desktop::PlacedIcon> Move(desktop::Desktop& desk, Mover& mover, const Plan& plan,
                                      const RestoreJob& job, int count) {
    std::vector<desktop::PlacedIcon> placed;
    // Items standing at their targets now, paired ones only: an icon under one of them
    // is moved off it even after an abort.
    std::vector<bool> home(static_cast<size_t>(count), false);
    for (const PairedIcon& icon : plan.paired)
        home[static_cast<size_t>(icon.index)] =
            icon.from.x == icon.target.x && icon.from.y == icon.target.y;
    const bool nt = job.scheme == desktop::Scheme::RemoteByName;
    for (const PairedIcon& icon : plan.paired) {
        if (desk.Lost()) break;
        if (job.progress) job.progress->store(icon.index + 1);
        if (!mover.StillThere(icon.index, icon.text)) {
            home[static_cast<size_t>(icon.index)] = false;
            continue;
        }
        const bool reached = job.mode == kRestoreInstant ? mover.Set(icon.index, icon.target)
                                                         : mover.Glide(icon.index, icon.target);
        if (reached) {
            home[static_cast<size_t>(icon.index)] = true;
            placed.push_back({icon.index, icon.text, icon.target.x, icon.target.y});
        }
        if (job.mode == kRestoreAnimated && Aborted(job)) break;
    }
    if (job.progress && !plan.unburied.empty()) job.progress->store(count);
    const bool aborted = job.mode == kRestoreAnimated && Aborted(job);
    for (const UnburiedIcon& icon : plan.unburied) {
        if (desk.Lost()) break;
        if (aborted) {
            bool underHome = false;
            for (const int i : icon.under) underHome = underHome || home[static_cast<size_t>(i)];
            if (!underHome) continue;
        }
        if (!mover.StillThere(icon.index, icon.text)) continue;
        if (mover.Set(icon.index, icon.to))
            placed.push_back({icon.index, icon.text, icon.to.x, icon.to.y});
    }
    if (!nt || desk.Lost()) placed.clear();  // a shell that does not answer is told nothing
    return placed;
}

}  // namespace

RestoreOutcome RunRestore(desktop::Desktop& desk, const RestoreJob& job, Partners& partners) {
    const desktop::ViewId view = desk.FindView();
    if (view == 0) return RestoreOutcome::kEnded;
    if (job.mode != kRestoreInstant && job.mode != kRestoreAnimated) return RestoreOutcome::kEnded;
    if (job.stopArranging) {
        partners.StopShellArranging();
        if (desk.ArrangesItself(view)) {
            // The shell's own setting may only reach its list view after a while; the
            // style is changed here only once the view has answered a message.
            uint32_t style = 0;
            if (!desk.ReadExtendedStyle(view, style)) return RestoreOutcome::kReadingFailed;
            desk.StopArranging(view);
        }
        if (desk.ArrangesItself(view)) return RestoreOutcome::kStillArranges;
    }
    SnapSwitch snapping(desk, view);
    if (desk.Lost()) return RestoreOutcome::kReadingFailed;
    const std::unique_ptr<desktop::AccessContext> ctx = Open(desk, view, job.scheme);
    if (!ctx) return RestoreOutcome::kReadingFailed;
    std::optional<Before> before = ReadBefore(desk, view, *ctx, job.scheme);
    if (!before) return RestoreOutcome::kReadingFailed;
    if (job.scheme == desktop::Scheme::RemoteByName) {
        const std::vector<std::wstring> paths =
            partners.ParsingNames(before->icons, PathPairing(job.store, job.layout).Any());
        for (size_t i = 0; i < paths.size() && i < before->icons.size(); ++i)
            before->icons[i].path = paths[i];
    }
    const Plan plan =
        PlanRestore(job.store, job.layout, job.scheme, *before, snapping.StillSnaps());
    partners.Planned(plan.steady);
    if (plan.movesAny && !partners.KeepBefore(before->icons)) return RestoreOutcome::kEnded;
    Mover mover(desk, view, *ctx, job);
    std::vector<desktop::PlacedIcon> placed =
        Move(desk, mover, plan, job, static_cast<int>(before->icons.size()));
    partners.Placed(std::move(placed));
    snapping.SwitchBack();
    return RestoreOutcome::kEnded;
}

}  // namespace restore

// The view-object commit on the one job slot of the process: prepared at once, told
// when the restore hands its icons over.
#include "desktop/access/view_commit.h"

#include <atomic>
#include <memory>
#include <utility>

#include "desktop/access/view_object.h"
#include "win/com.h"
#include "win/job_slot.h"

namespace desktop {

namespace {

// Who has the last word on the call: the commit, which moves from kWaiting to kTelling
// right before it calls, or the restore, which moves from kWaiting to kAbandoned when
// its wait ends. Whichever comes first wins; the other finds the state taken.
enum CommitState : int { kWaiting, kTelling, kAbandoned };

}  // namespace

// What the restore and the commit's thread share; either may outlive the other.
struct ViewCommit::Shared {
    explicit Shared(bool stop) : stopArranging(stop) {}

    win::UniqueHandle handedOver{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    win::UniqueHandle told{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    win::UniqueHandle planned{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    win::UniqueHandle arranged{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    const bool stopArranging;
    std::vector<int> steady;           // written before planned is set
    std::vector<PlacedIcon> icons;     // written before handedOver is set
    std::atomic<size_t> taken{0};      // written before told is set
    std::atomic<bool> stopped{false};  // written before arranged is set
    std::atomic<int32_t> progress{0};  // the restore's, see RestoreJob::progress
    std::atomic<int> state{kWaiting};
    std::atomic<int> arrangeState{kWaiting};  // the same rule for auto arrange

    bool Made() const { return handedOver && told && planned && arranged; }

    // Moves a state from kWaiting to `to`; false when it had left kWaiting already.
    static bool Leave(std::atomic<int>& from, int to) {
        int expected = kWaiting;
        return from.compare_exchange_strong(expected, to);
    }
    bool Leave(int to) { return Leave(state, to); }
};

namespace {

// One slot for the process, used by the restore worker, of which one runs at a time.
win::JobSlot& CommitSlot() {
    static win::JobSlot slot;
    return slot;
}

void Commit(ViewCommit::Shared& shared) {
    // A single-threaded apartment, as the shell's own threads use: shell folders and
    // their name handlers may fail in a multithreaded one, and a name read differently
    // would silently leave its icon out of the commit.
    const win::ComApartment apartment(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::unique_ptr<ViewObject> view;
    if (apartment) view = std::make_unique<ViewObject>();
    const bool ready = view && view->Ready();
    if (shared.stopArranging) {
        shared.stopped =
            ready && view->StopArranging([&shared] { return shared.Leave(shared.arrangeState, kTelling); });
        SetEvent(shared.arranged.Get());
    }
    // Nothing calls into this apartment, but COM's own wait keeps it answering anyway.
    const auto wait = [&apartment](HANDLE* handles, DWORD n, DWORD& signalled) {
        return apartment ? SUCCEEDED(CoWaitForMultipleHandles(0, INFINITE, n, handles, &signalled))
                         : WaitForMultipleObjects(n, handles, FALSE, INFINITE) < WAIT_OBJECT_0 + n;
    };
    HANDLE planOrEnd[] = {shared.planned.Get(), shared.handedOver.Get()};
    DWORD signalled = 0;
    if (wait(planOrEnd, 2, signalled) && signalled == 0 && ready)
        view->CheckCoordinates(shared.steady, shared.progress);
    HANDLE handedOver = shared.handedOver.Get();
    const bool handed = wait(&handedOver, 1, signalled);
    if (handed && ready)
        shared.taken = view->Tell(shared.icons, [&shared] { return shared.Leave(kTelling); });
    // The restore waits for this, not for the chain's release and the apartment's end
    // (calls into the shell's process too) that follow.
    SetEvent(shared.told.Get());
}

}  // namespace

ViewCommit::ViewCommit(bool stopArranging) {
    auto shared = std::make_shared<Shared>(stopArranging);
    if (!shared->Made()) return;
    // The job owns its share: once waited for no longer, it touches nothing of the
    // worker's or the dialog's.
    if (CommitSlot().Start([shared] { Commit(*shared); })) m_shared = std::move(shared);
}

ViewCommit::~ViewCommit() {
    if (m_shared) SetEvent(m_shared->handedOver.Get());
}

std::atomic<int32_t>* ViewCommit::Progress() { return m_shared ? &m_shared->progress : nullptr; }

bool ViewCommit::StopArranging() {
    if (!m_shared || !m_shared->stopArranging) return false;
    if (WaitForSingleObject(m_shared->arranged.Get(), kViewCommitWaitMs) == WAIT_OBJECT_0)
        return m_shared->stopped.load();
    // Too late from here on, as for the commit itself.
    Shared::Leave(m_shared->arrangeState, kAbandoned);
    return false;
}

void ViewCommit::Planned(std::vector<int> steady) {
    if (!m_shared) return;
    m_shared->steady = std::move(steady);
    SetEvent(m_shared->planned.Get());
}

size_t ViewCommit::HandOver(std::vector<PlacedIcon> icons) {
    if (!m_shared) return 0;
    const std::shared_ptr<Shared> shared = std::move(m_shared);
    const bool tell = !icons.empty();
    shared->icons = std::move(icons);
    SetEvent(shared->handedOver.Get());
    // Nothing to tell: the preparation ends on its own. Not waited for, so a restore
    // that met a hung shell (which may hold the preparation's reads too) ends no later
    // than before.
    if (!tell) return 0;
    if (WaitForSingleObject(shared->told.Get(), kViewCommitWaitMs) == WAIT_OBJECT_0)
        return shared->taken.load();
    // Too late from here on: the user may move icons once the restore is over. A call
    // already begun (the state is kTelling) is left to finish.
    shared->Leave(kAbandoned);
    return 0;
}

bool ViewCommitStillRunning() { return CommitSlot().Busy(); }

}  // namespace desktop

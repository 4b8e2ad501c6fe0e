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
    win::UniqueHandle handedOver{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    win::UniqueHandle told{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::vector<PlacedIcon> icons;     // written before handedOver is set
    std::atomic<size_t> taken{0};      // written before told is set
    std::atomic<int32_t> progress{0};  // the restore's, see RestoreJob::progress
    std::atomic<int> state{kWaiting};

    // Moves the state from kWaiting to `to`; false when it had left kWaiting already.
    bool Leave(int to) {
        int expected = kWaiting;
        return state.compare_exchange_strong(expected, to);
    }
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
    if (apartment) view = std::make_unique<ViewObject>(shared.progress);
    // Nothing calls into this apartment, but COM's own wait keeps it answering anyway.
    DWORD signalled = 0;
    HANDLE handedOver = shared.handedOver.Get();
    const bool handed =
        apartment ? SUCCEEDED(CoWaitForMultipleHandles(0, INFINITE, 1, &handedOver, &signalled))
                  : WaitForSingleObject(handedOver, INFINITE) == WAIT_OBJECT_0;
    if (handed && view && view->Ready())
        shared.taken = view->Tell(shared.icons, [&shared] { return shared.Leave(kTelling); });
    // The restore waits for this, not for the chain's release and the apartment's end
    // (calls into the shell's process too) that follow.
    SetEvent(shared.told.Get());
}

}  // namespace

ViewCommit::ViewCommit() {
    auto shared = std::make_shared<Shared>();
    if (!shared->handedOver || !shared->told) return;
    // The job owns its share: once waited for no longer, it touches nothing of the
    // worker's or the dialog's.
    if (CommitSlot().Start([shared] { Commit(*shared); })) m_shared = std::move(shared);
}

ViewCommit::~ViewCommit() {
    if (m_shared) SetEvent(m_shared->handedOver.Get());
}

std::atomic<int32_t>* ViewCommit::Progress() { return m_shared ? &m_shared->progress : nullptr; }

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

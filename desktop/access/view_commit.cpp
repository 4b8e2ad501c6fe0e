// The view-object commit on the one job slot of the process: prepared at once, told
// when the restore hands its icons over.
#include "desktop/access/view_commit.h"

#include <atomic>
#include <utility>

#include "desktop/access/view_object.h"
#include "win/com.h"
#include "win/job_slot.h"

namespace desktop {

// What the restore and the commit's thread share; either may outlive the other.
struct ViewCommit::Shared {
    win::UniqueHandle handedOver{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::vector<PlacedIcon> icons;  // written before handedOver is set
    std::atomic<size_t> told{0};
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
    if (!apartment) return;
    ViewObject view;
    // Nothing calls into this apartment, but COM's own wait keeps it answering anyway.
    DWORD signalled = 0;
    HANDLE handedOver = shared.handedOver.Get();
    if (FAILED(CoWaitForMultipleHandles(0, INFINITE, 1, &handedOver, &signalled))) return;
    if (view.Ready()) shared.told = view.Tell(shared.icons);
}

}  // namespace

ViewCommit::ViewCommit() {
    auto shared = std::make_shared<Shared>();
    if (!shared->handedOver) return;
    // The job owns its share: once waited for no longer, it touches nothing of the
    // worker's or the dialog's.
    if (CommitSlot().Start([shared] { Commit(*shared); })) m_shared = std::move(shared);
}

ViewCommit::~ViewCommit() {
    if (m_shared) SetEvent(m_shared->handedOver.Get());
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
    return CommitSlot().WaitFor(kViewCommitWaitMs) ? shared->told.load() : 0;
}

bool ViewCommitStillRunning() { return CommitSlot().Busy(); }

}  // namespace desktop

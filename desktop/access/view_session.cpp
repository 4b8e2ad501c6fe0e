// The view-object session on the one job slot of the process: prepared at once, each
// step taken when the caller hands it what it needs.
#include "desktop/access/view_session.h"

#include <atomic>
#include <memory>
#include <utility>

#include "desktop/access/view_object.h"
#include "win/com.h"
#include "win/job_slot.h"

namespace desktop {

namespace {

// Who has the last word on a call that changes what the shell keeps: the session, which
// moves from kWaiting to kTelling right before it calls, or the caller, which moves from
// kWaiting to kAbandoned when its wait ends. Whichever comes first wins.
enum CallState : int { kWaiting, kTelling, kAbandoned };

}  // namespace

// What the caller and the session's thread share; either may outlive the other.
struct ViewSession::Shared {
    explicit Shared(bool stop) : stopArranging(stop) {}

    win::UniqueHandle read{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    win::UniqueHandle named{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    win::UniqueHandle planned{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    win::UniqueHandle handedOver{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    win::UniqueHandle told{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    win::UniqueHandle arranged{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    const bool stopArranging;
    std::vector<ReadIcon> reading;     // written before read is set
    std::vector<std::wstring> names;   // written before named is set
    std::vector<int> steady;           // written before planned is set
    std::vector<PlacedIcon> icons;     // written before handedOver is set
    std::atomic<size_t> taken{0};      // written before told is set
    std::atomic<bool> stopped{false};  // written before arranged is set
    std::atomic<int32_t> progress{0};  // the restore's, see RestoreJob::progress
    std::atomic<int> commitState{kWaiting};
    std::atomic<int> arrangeState{kWaiting};

    bool Made() const { return read && named && planned && handedOver && told && arranged; }

    // Moves a state from kWaiting to `to`; false when it had left kWaiting already.
    static bool Leave(std::atomic<int>& from, int to) {
        int expected = kWaiting;
        return from.compare_exchange_strong(expected, to);
    }
};

namespace {

// One slot for the process: one capture or restore runs at a time.
win::JobSlot& SessionSlot() {
    static win::JobSlot slot;
    return slot;
}

// Waits for the first of `handles` (COM's own wait keeps the apartment answering);
// the index of the one set, or -1.
int WaitAny(bool apartment, HANDLE* handles, DWORD n) {
    DWORD signalled = 0;
    if (apartment)
        return SUCCEEDED(CoWaitForMultipleHandles(0, INFINITE, n, handles, &signalled))
                   ? static_cast<int>(signalled)
                   : -1;
    const DWORD r = WaitForMultipleObjects(n, handles, FALSE, INFINITE);
    return r < WAIT_OBJECT_0 + n ? static_cast<int>(r - WAIT_OBJECT_0) : -1;
}

void Converse(ViewSession::Shared& shared) {
    // A single-threaded apartment, as the shell's own threads use: shell folders and
    // their name handlers may fail in a multithreaded one, and a name read differently
    // would silently leave its icon out.
    const win::ComApartment apartment(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::unique_ptr<ViewObject> view;
    if (apartment) view = std::make_unique<ViewObject>();
    const bool ready = view && view->Ready();
    const bool com = static_cast<bool>(apartment);
    if (shared.stopArranging) {
        shared.stopped = ready && view->StopArranging([&shared] {
            return ViewSession::Shared::Leave(shared.arrangeState, kTelling);
        });
        SetEvent(shared.arranged.Get());
    }
    HANDLE readOrEnd[] = {shared.read.Get(), shared.handedOver.Get()};
    if (WaitAny(com, readOrEnd, 2) == 0) {
        if (ready) shared.names = view->PairReading(shared.reading);
        SetEvent(shared.named.Get());
    }
    HANDLE planOrEnd[] = {shared.planned.Get(), shared.handedOver.Get()};
    if (WaitAny(com, planOrEnd, 2) == 0 && ready)
        view->CheckCoordinates(shared.steady, shared.progress);
    HANDLE handedOver = shared.handedOver.Get();
    if (WaitAny(com, &handedOver, 1) == 0 && ready)
        shared.taken = view->Tell(shared.icons, [&shared] {
            return ViewSession::Shared::Leave(shared.commitState, kTelling);
        });
    // The caller waits for this, not for the chain's release and the apartment's end
    // (calls into the shell's process too) that follow.
    SetEvent(shared.told.Get());
}

}  // namespace

ViewSession::ViewSession(bool stopArranging) {
    auto shared = std::make_shared<Shared>(stopArranging);
    if (!shared->Made()) return;
    // The job owns its share: once waited for no longer, it touches nothing of the
    // caller's.
    if (SessionSlot().Start([shared] { Converse(*shared); })) m_shared = std::move(shared);
}

ViewSession::~ViewSession() {
    if (m_shared) SetEvent(m_shared->handedOver.Get());
}

std::atomic<int32_t>* ViewSession::Progress() { return m_shared ? &m_shared->progress : nullptr; }

bool ViewSession::StopArranging() {
    if (!m_shared || !m_shared->stopArranging) return false;
    if (WaitForSingleObject(m_shared->arranged.Get(), kViewSessionWaitMs) == WAIT_OBJECT_0)
        return m_shared->stopped.load();
    Shared::Leave(m_shared->arrangeState, kAbandoned);
    return false;
}

std::vector<std::wstring> ViewSession::ParsingNames(const std::vector<ReadIcon>& reading,
                                                    DWORD waitMs) {
    if (!m_shared || WaitForSingleObject(m_shared->read.Get(), 0) == WAIT_OBJECT_0) return {};
    m_shared->reading = reading;
    SetEvent(m_shared->read.Get());
    // Read only once set: the session's thread writes them before.
    if (WaitForSingleObject(m_shared->named.Get(), waitMs) != WAIT_OBJECT_0) return {};
    return m_shared->names;
}

void ViewSession::Planned(std::vector<int> steady) {
    if (!m_shared) return;
    m_shared->steady = std::move(steady);
    SetEvent(m_shared->planned.Get());
}

size_t ViewSession::HandOver(std::vector<PlacedIcon> icons) {
    if (!m_shared) return 0;
    const std::shared_ptr<Shared> shared = std::move(m_shared);
    const bool tell = !icons.empty();
    shared->icons = std::move(icons);
    SetEvent(shared->handedOver.Get());
    // Nothing to tell: the session ends on its own. Not waited for, so a restore that
    // met a hung shell (which may hold the preparation's reads too) ends no later.
    if (!tell) return 0;
    if (WaitForSingleObject(shared->told.Get(), kViewSessionWaitMs) == WAIT_OBJECT_0)
        return shared->taken.load();
    // Too late from here on: the user may move icons once the restore is over. A call
    // already begun is left to finish.
    Shared::Leave(shared->commitState, kAbandoned);
    return 0;
}

bool ViewSessionStillRunning() { return SessionSlot().Busy(); }

}  // namespace desktop

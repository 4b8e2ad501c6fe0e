// The restore thread procedure: take over the launch block, read the selection, run
// the restore on the real desktop with the dialog and the shell's view object as its
// partners, report how it ended.
#include "desktop/restore/restore_worker.h"

#include <memory>
#include <utility>

#include "desktop/access/view_session.h"
#include "desktop/access/win32_desktop.h"
#include "desktop/restore/restore_logic.h"

namespace {

// The dialog keeps the reading; the session with the view object (NT family) starts at
// once on a thread of its own, so that its chain is ready when the reading is, and after
// the last icon only its one call remains; a view object that does not answer holds the
// worker no longer than its wait at each step.
class WorkerPartners : public restore::Partners {
public:
    WorkerPartners(HWND dialog, UINT beforeMessage, desktop::Scheme scheme, bool stopArranging)
        : m_dialog(dialog), m_beforeMessage(beforeMessage) {
        if (scheme == desktop::Scheme::RemoteByName)
            m_session = std::make_unique<desktop::ViewSession>(stopArranging);
    }

    std::atomic<int32_t>* Progress() { return m_session ? m_session->Progress() : nullptr; }

    void StopShellArranging() override {
        if (m_session) m_session->StopArranging();
    }
    bool KeepBefore(const std::vector<desktop::ReadIcon>& icons) override {
        // Our own dialog's thread: it answers sent messages in every wait of its own
        // (the closing one included), so this cannot deadlock. A window that is gone
        // answers 0.
        return SendMessageA(m_dialog, m_beforeMessage, 0, reinterpret_cast<LPARAM>(&icons)) == 1;
    }
    std::vector<std::wstring> ParsingNames(const std::vector<desktop::ReadIcon>& icons,
                                           bool wait) override {
        if (!m_session) return {};
        return m_session->ParsingNames(icons, wait ? desktop::kViewSessionWaitMs : 0);
    }
    void Planned(const std::vector<int>& steady) override {
        if (m_session) m_session->Planned(steady);
    }
    void Placed(std::vector<desktop::PlacedIcon> icons) override {
        if (m_session) m_session->HandOver(std::move(icons));
    }

private:
    HWND m_dialog;
    UINT m_beforeMessage;
    std::unique_ptr<desktop::ViewSession> m_session;
};

}  // namespace

UINT RestoreWorker(LPVOID param) {
    RestoreParams* block = static_cast<RestoreParams*>(param);
    const int32_t mode = block->nMode;
    const HWND list = block->hWndList;
    const std::atomic<int32_t>& abort = *block->pnAbort;
    const std::atomic<int32_t>& speed = *block->pnSpeed;
    const HWND notify = block->hWndNotify;
    const UINT message = block->nMessage;
    const CLayoutStore& layouts = *block->pLayouts;
    const desktop::Scheme scheme = block->scheme;
    const bool stopArranging = block->bStopArranging;
    const UINT beforeMessage = block->nBeforeMessage;
    // Set before the first message to the interface thread, which handles none until
    // it has seen the flag. The launcher's frame may be gone from here on.
    block->bStarted.store(1, std::memory_order_release);
    block = nullptr;

    // A list without a window has no selection (a send to null would read as row 0).
    const int layout = list ? static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)) : LB_ERR;
    restore::RestoreOutcome outcome = restore::RestoreOutcome::kEnded;
    if (layout >= 0) {
        desktop::Win32Desktop desk;
        WorkerPartners partners(notify, beforeMessage, scheme, stopArranging);
        // The selection only says whether to restore: the launch copied its layout.
        restore::RestoreJob job{layouts, 0, mode, scheme, abort, speed, stopArranging};
        job.progress = partners.Progress();
        outcome = restore::RunRestore(desk, job, partners);
    }
    PostMessageA(notify, message, static_cast<WPARAM>(outcome), 0);
    return 0;
}

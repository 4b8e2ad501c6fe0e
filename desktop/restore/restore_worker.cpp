// The restore thread procedure: take over the launch block, read the selection, run
// the scheme's variant on the real desktop, report completion.
#include "desktop/restore/restore_worker.h"

#include <utility>

#include "desktop/access/view_commit.h"
#include "desktop/access/win32_desktop.h"
#include "desktop/restore/restore_logic.h"

namespace {

// The NT variant, then the shell's view object told where the icons went, so that the
// shell keeps them (the list view alone is not enough on Windows 10 1809 and later).
// The commit prepares while the icons move; a view object that does not answer holds
// the worker no longer than its wait.
void RestoreAndTellShell(desktop::Desktop& desk, const restore::RestoreJob& job) {
    desktop::ViewCommit commit;
    restore::RestoreJob published = job;
    published.progress = commit.Progress();
    commit.HandOver(restore::RestoreByName(desk, published));
}

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
    const std::vector<desktop::PlacedIcon>* unburied = block->pUnburied;
    // Set before the first message to the interface thread, which handles none until
    // it has seen the flag. The launcher's frame may be gone from here on.
    block->bStarted.store(1, std::memory_order_release);
    block = nullptr;

    // A list without a window has no selection (a send to null would read as row 0).
    const int layout = list ? static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)) : LB_ERR;
    if (layout >= 0) {
        desktop::Win32Desktop desk;
        // The selection only says whether to restore: the launch copied its layout.
        const restore::RestoreJob job{layouts, 0, mode, abort, speed, unburied};
        if (scheme == desktop::Scheme::RemoteByName)
            RestoreAndTellShell(desk, job);
        else
            restore::RestoreByIndex(desk, job);
    }
    PostMessageA(notify, message, 0, 0);
    return 0;
}

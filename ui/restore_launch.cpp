// The main dialog's restore handlers: launch a worker while idle, make it faster or
// stop it while busy, keep the arrangement before the restore when the worker hands
// it over, go idle (with a word where the restore could not be made) when it reports
// completion, and see it end before the dialog goes away. Nothing here sends the
// shell a message: the worker does all of that.
#include <windows.h>

#include <vector>

#include "desktop/access/find_view.h"
#include "desktop/access/view_link.h"
#include "desktop/access/view_style.h"
#include "desktop/capture/capture.h"
#include "desktop/restore/restore_logic.h"
#include "desktop/restore/restore_worker.h"
#include "ui/layout_dlg.h"
#include "ui/resource.h"
#include "win/win_app.h"

namespace {

const char kAutoArrangeIsOn[] =
    "アイコンの自動整列がオンになっているため、アイコンを移動できません。"
    "デスクトップを右クリックし、[表示] の [アイコンの自動整列] をオフにしてから、"
    "もう一度お試しください。";
const char kSwitchAutoArrangeOff[] =
    "アイコンの自動整列がオンになっているため、このままではアイコンを移動できません。\n"
    "自動整列をオフにして復元しますか？";

// Layout `from` of `store` as the only layout of `copy`.
void CopyLayout(const CLayoutStore& store, int from, CLayoutStore& copy) {
    copy.RemoveAll();
    copy.SetTitle(0, store.GetTitle(from).c_str());
    for (int j = 0; j < store.GetIconCount(from); ++j) {
        copy.AddIcon(0, store.GetPackedPos(from, j), store.GetIconName(from, j));
        copy.SetIconPath(0, j, store.GetIconPath(from, j));
    }
}

}  // namespace

// The program's own title: the README tells the user so.
const char CLayoutDlg::kSnapshotTitle[] = "（復元前の配置）";

void CLayoutDlg::OnRestore() {
    if (m_bBusy) {
        m_nSpeed.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    StartRestore(restore::kRestoreInstant);
}

void CLayoutDlg::OnFunRestore() {
    if (m_bBusy) {
        m_nAbort.store(1, std::memory_order_relaxed);
        return;
    }
    StartRestore(restore::kRestoreAnimated);
}

LRESULT CLayoutDlg::OnRestoreDone(WPARAM wParam, LPARAM) {
    m_bBusy = 0;
    UpdateButtons();
    switch (static_cast<restore::RestoreOutcome>(wParam)) {
        case restore::RestoreOutcome::kReadingFailed:
            AfxMessageBox(kFailedText);
            break;
        case restore::RestoreOutcome::kStillArranges:
            AfxMessageBox(kAutoArrangeIsOn, MB_OK | MB_ICONINFORMATION);
            break;
        case restore::RestoreOutcome::kEnded:
            break;
    }
    return 0;
}

void CLayoutDlg::StartRestore(int32_t nMode) {
    // A desktop that arranges its icons itself ignores every position message: ask
    // before taking that off. The style is read from the window, not by a message.
    bool stopArranging = false;
    if (desktop::ArrangesItself(desktop::FindDesktopListView())) {
        if (AfxMessageBox(kSwitchAutoArrangeOff, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
        stopArranging = true;
    }
    // The worker restores a copy: the line restored may be the snapshot it replaces.
    m_restoring.RemoveAll();
    m_nRestoredLine = m_list.GetCurSel();
    if (m_nRestoredLine >= 0) CopyLayout(m_layouts, m_nRestoredLine, m_restoring);
    RestoreParams params{nMode,
                         m_list.GetSafeHwnd(),
                         &m_nAbort,
                         nullptr,
                         {0},
                         m_hWnd,
                         WM_RESTORE_DONE,
                         &m_restoring,
                         m_scheme,
                         stopArranging,
                         WM_RESTORE_BEFORE};
    m_nSpeed.store(1, std::memory_order_relaxed);
    m_nAbort.store(0, std::memory_order_relaxed);
    params.pnSpeed = &m_nSpeed;

    m_bBusy = 1;
    UpdateButtons();

    if (!m_worker.Start(RestoreWorker, &params)) {
        // No worker, so no completion message will come: go idle at once.
        MessageBeep(MB_ICONEXCLAMATION);
        OnRestoreDone(0, 0);
        return;
    }
    // The block lives in this frame: wait until the worker has copied it. No message is
    // handled meanwhile; the worker sets the flag before it sends us anything.
    while (params.bStarted.load(std::memory_order_acquire) == 0) {
        if (!m_worker.StillRunningAfter(100) &&
            params.bStarted.load(std::memory_order_acquire) == 0) {
            OnRestoreDone(0, 0);  // ended without taking the block: cannot happen
            return;
        }
    }
}

LRESULT CLayoutDlg::OnRestoreBefore(WPARAM, LPARAM lParam) {
    // Closing, or the session ends: the layouts are being (or have been) saved, and a
    // restore that moved icons now could not be taken back.
    if (m_bRefuseBefore || !m_bBusy) return 0;
    const auto& icons = *reinterpret_cast<const std::vector<desktop::ReadIcon>*>(lParam);
    int keep = m_nRestoredLine;  // the restored line, wherever it goes
    for (int k = m_layouts.FindTitle(kSnapshotTitle); k >= 0;
         k = m_layouts.FindTitle(kSnapshotTitle)) {
        const bool restoringIt = k == keep;
        m_layouts.RemoveLayout(k);
        m_list.DeleteString(k);
        if (k < keep)
            --keep;
        else if (restoringIt)
            keep = -1;  // restoring the snapshot itself: its new line is selected
    }
    const int index = m_layouts.GetCount();
    m_layouts.SetTitle(index, kSnapshotTitle);
    for (size_t j = 0; j < icons.size(); ++j) {
        m_layouts.AddIconXY(index, icons[j].x, icons[j].y, icons[j].name.c_str());
        m_layouts.SetIconPath(index, static_cast<int>(j), icons[j].path);
    }
    m_list.AddString(kSnapshotTitle);
    m_list.SetCurSel(keep >= 0 ? keep : index);
    return 1;
}

void CLayoutDlg::EndRestoreWorker() {
    // No arrangement is kept from here on, so the worker moves nothing it has not moved
    // yet; an animated restore stops at its next step; an instant one runs to its end. A
    // worker waiting on a shell that does not answer is free again within one message
    // time-out; one that is not free after two has met something that never answers,
    // and the closing must not wait for it (the application ends the process then).
    m_bRefuseBefore = true;
    m_nAbort.store(1, std::memory_order_relaxed);
    m_bWorkerStillRunning = !m_worker.JoinFor(2 * desktop::kViewMessageTimeoutMs);
}

// The main dialog's restore handlers: launch a worker while idle, make it faster or
// stop it while busy, go idle when it reports completion, and see it end before the
// dialog goes away.
#include <windows.h>

#include <optional>

#include "desktop/access/find_view.h"
#include "desktop/access/view_link.h"
#include "desktop/access/view_style.h"
#include "desktop/access/win32_desktop.h"
#include "desktop/restore/restore_logic.h"
#include "desktop/restore/restore_plan.h"
#include "desktop/restore/restore_worker.h"
#include "ui/layout_dlg.h"
#include "ui/resource.h"
#include "win/win_app.h"

namespace {

const char kAutoArrangeIsOn[] =
    "アイコンの自動整列がオンになっているため、アイコンを移動できません。"
    "デスクトップを右クリックし、[表示] の [アイコンの自動整列] をオフにしてから、"
    "もう一度お試しください。";

// Layout `from` of `store` as the only layout of `copy`.
void CopyLayout(const CLayoutStore& store, int from, CLayoutStore& copy) {
    copy.RemoveAll();
    copy.SetTitle(0, store.GetTitle(from).c_str());
    for (int j = 0; j < store.GetIconCount(from); ++j)
        copy.AddIcon(0, store.GetPackedPos(from, j), store.GetIconName(from, j));
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

LRESULT CLayoutDlg::OnRestoreDone(WPARAM, LPARAM) {
    m_bBusy = 0;
    UpdateButtons();
    return 0;
}

void CLayoutDlg::StartRestore(int32_t nMode) {
    // A desktop that arranges its icons itself ignores every position message: say so
    // instead of a restore that seems to succeed and moves nothing. Read from the
    // window's style, not by a message, so a hung shell cannot hold the dialog here.
    if (desktop::ArrangesItself(desktop::FindDesktopListView())) {
        AfxMessageBox(kAutoArrangeIsOn, MB_OK | MB_ICONINFORMATION);
        return;
    }
    m_restoring.RemoveAll();
    m_unburied.clear();
    const int selected = m_list.GetCurSel();
    if (selected >= 0) PrepareRestore(selected);
    RestoreParams params{nMode,  m_list.GetSafeHwnd(), &m_nAbort,    nullptr,  {0},
                         m_hWnd, WM_RESTORE_DONE,      &m_restoring, m_scheme, &m_unburied};
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

void CLayoutDlg::PrepareRestore(int selected) {
    // The worker restores a copy: the line restored may be the snapshot replaced below.
    CopyLayout(m_layouts, selected, m_restoring);
    // Read as a capture reads, but quietly: a reading that fails keeps no snapshot and
    // the restore goes on as it would without one.
    desktop::Win32Desktop desk;
    const std::optional<restore::Before> before = restore::ReadBefore(desk, m_scheme);
    if (!before) return;
    const restore::Plan plan = restore::PlanRestore(m_restoring, 0, m_scheme, *before);
    m_unburied = plan.unburied;
    if (!plan.movesAny) return;  // the earlier snapshot stays

    int keep = selected;  // the restored line, wherever it goes
    for (int k = m_layouts.FindTitle(kSnapshotTitle); k >= 0;
         k = m_layouts.FindTitle(kSnapshotTitle)) {
        m_layouts.RemoveLayout(k);
        m_list.DeleteString(k);
        if (k < keep)
            --keep;
        else if (k == keep)
            keep = -1;  // restoring the snapshot itself: its new line is selected
    }
    const int index = m_layouts.GetCount();
    m_layouts.SetTitle(index, kSnapshotTitle);
    for (const desktop::ReadIcon& icon : before->icons)
        m_layouts.AddIconXY(index, icon.x, icon.y, icon.name.c_str());
    m_list.AddString(kSnapshotTitle);
    m_list.SetCurSel(keep >= 0 ? keep : index);
}

void CLayoutDlg::EndRestoreWorker() {
    // An animated restore stops at its next step; an instant one runs to its end. A
    // worker waiting on a shell that does not answer is free again within one message
    // time-out; one that is not free after two has met something that never answers,
    // and the closing must not wait for it (the application ends the process then).
    m_nAbort.store(1, std::memory_order_relaxed);
    m_bWorkerStillRunning = !m_worker.JoinFor(2 * desktop::kViewMessageTimeoutMs);
}

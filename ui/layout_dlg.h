// The main dialog: the list of saved titles, the four buttons and their idle/busy
// states, deletion, the menus and the About box.
#pragma once

#include <atomic>
#include <cstdint>

#include "desktop/restore/worker_thread.h"
#include "ui/framework/controls.h"
#include "ui/framework/dialog.h"

class CLayoutDlg : public CDialog {
public:
    explicit CLayoutDlg(HWND parent = nullptr);
    ~CLayoutDlg() override;

    // The one place that turns m_bBusy and the selection into labels and states.
    void UpdateButtons();

    // Remember (desktop/capture) and the restore pair (desktop/restore).
    void OnRemember();
    void OnRestore();
    void OnFunRestore();
    LRESULT OnRestoreDone(WPARAM wParam, LPARAM lParam);

    void OnSelChangeList();
    void OnDelete();
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnFileQuit();
    void OnHelpTopic();
    void OnHelpAbout();
    void OnDestroy();

    CMenu m_menu;
    std::atomic<int32_t> m_nAbort;  // 1 once the user asks a running restore to stop
    int32_t m_bBusy;                // 1 while a restore worker runs
    std::atomic<int32_t> m_nSpeed;  // animation step increment
    CListBox m_list;
    HICON m_hIcon;
    CWorkerThread m_worker;  // the running (or last) restore worker

private:
    void StartRestore(int32_t nMode);
    // Stops an animated restore, lets an instant one finish, and waits for the worker.
    void EndRestoreWorker();

protected:
    const MessageMap* GetMessageMap() const override;
    BOOL OnInitDialog() override;
};

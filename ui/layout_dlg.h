// The main dialog: the list of saved titles, the four buttons and their idle/busy
// states, deletion, the menus and the About box.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "desktop/scheme.h"
#include "store/layout_store.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/worker_thread.h"

class CLayoutDlg : public CDialog {
public:
    // `layouts` are the saved layouts the dialog lists and changes; `osvi` is the
    // platform version record, filled when the dialog opens. Both outlive the dialog.
    CLayoutDlg(CLayoutStore& layouts, OSVERSIONINFOA& osvi, HWND parent = nullptr);
    ~CLayoutDlg() override;

    // A text to show in an application box (OK, exclamation icon) over the dialog once
    // it is on the screen; set before DoModal.
    void SetOpeningNotice(std::string text) { m_strOpeningNotice = std::move(text); }

    // The title of the layout kept before each restore (CP932).
    static const char kSnapshotTitle[];
    // What a capture or a restore that could not read the desktop says.
    static const char kFailedText[];

    // The one place that turns m_bBusy and the selection into labels and states.
    void UpdateButtons();

    // Remember (remember.cpp) and the restore pair (restore_launch.cpp).
    void OnRemember();
    void OnRestore();
    void OnFunRestore();
    LRESULT OnRestoreDone(WPARAM wParam, LPARAM lParam);
    LRESULT OnRestoreBefore(WPARAM wParam, LPARAM lParam);

    void OnSelChangeList();
    void OnDelete();
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnFileQuit();
    void OnHelpTopic();
    void OnHelpAbout();
    void OnDestroy();
    LRESULT OnQueryEndSession(WPARAM wParam, LPARAM lParam);
    LRESULT OnEndSession(WPARAM wParam, LPARAM lParam);
    LRESULT OnShowNotice(WPARAM wParam, LPARAM lParam);

    // After the dialog has closed: a restore worker did not end in time (a shell that
    // does not answer). It still reads this dialog's words and the copy it restores, so
    // the dialog may not be destroyed while the process lives.
    bool WorkerStillRunning() const { return m_bWorkerStillRunning; }

    CMenu m_menu;
    std::atomic<int32_t> m_nAbort;  // 1 once the user asks a running restore to stop
    int32_t m_bBusy;                // 1 while a restore worker runs
    std::atomic<int32_t> m_nSpeed;  // animation step increment
    CListBox m_list;
    HICON m_hIcon;
    CWorkerThread m_worker;  // the running (or last) restore worker

private:
    CLayoutStore& m_layouts;
    OSVERSIONINFOA& m_osvi;
    desktop::Scheme m_scheme = desktop::Scheme::RemoteByName;  // from m_osvi, when opened
    bool m_bWorkerStillRunning = false;
    std::string m_strOpeningNotice;
    // What the running (or last) restore worker reads: a copy of the restored layout.
    // Changed only while idle.
    CLayoutStore m_restoring;
    int m_nRestoredLine = -1;  // the line restored (the store changes while busy only by
                               // the arrangement kept before the restore)
    // Set once the dialog closes or the session ends: the worker's reading is refused,
    // and it moves nothing.
    bool m_bRefuseBefore = false;

    // Copies the selected layout for the worker, goes busy and starts it; asks first
    // where the desktop arranges its icons itself.
    void StartRestore(int32_t nMode);
    // Refuses the worker's reading from now on, stops an animated restore, lets an
    // instant one finish, and waits for the worker.
    void EndRestoreWorker();

protected:
    const MessageMap* GetMessageMap() const override;
    BOOL OnInitDialog() override;
};

// The restore worker's thread procedure and the block a launch hands to it.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "desktop/capture/capture.h"
#include "desktop/scheme.h"

class CLayoutStore;

// Filled in the launching handler's frame; valid only until bStarted becomes 1. The
// worker copies every field first, then stores bStarted (release) and never touches
// the block again; the launcher polls bStarted (acquire). The store and the abort and
// speed words are the launcher's and must outlive the worker.
struct RestoreParams {
    int32_t nMode;                  // 0 instant, 1 animated; other values move nothing
    HWND hWndList;                  // the dialog's list of titles
    std::atomic<int32_t>* pnAbort;  // the dialog's abort flag
    std::atomic<int32_t>* pnSpeed;  // the dialog's speed step
    std::atomic<int32_t> bStarted;  // 0 when handed over, 1 once copied
    HWND hWndNotify;                // receives nMessage when the worker has finished
    UINT nMessage;                  // WM_RESTORE_DONE; wParam: a restore::RestoreOutcome
    const CLayoutStore* pLayouts;   // the launch's copy of the selected layout, as layout 0
    desktop::Scheme scheme;         // how the desktop is reached and icons matched
    bool bStopArranging;            // the user agreed to take auto arrange off
    // Sent to hWndNotify before the first move, lParam pointing to a
    // std::vector<desktop::ReadIcon>, the desktop as read: answered 1, the restore moves;
    // 0, it moves nothing.
    UINT nBeforeMessage;
};

// Thread procedure: the parameter points to a RestoreParams. Reads the selected line;
// with one selected, restores layout 0 of pLayouts (restore::RunRestore); posts
// nMessage to hWndNotify on every path and returns 0.
UINT RestoreWorker(LPVOID param);

// The restore worker's thread procedures and the block a launch hands to them.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

// Filled in the launching handler's frame; valid only until bStarted becomes 1. The
// worker copies every field first, then stores bStarted (release) and never touches
// the block again; the launcher polls bStarted (acquire).
struct RestoreParams {
    int32_t nMode;                  // 0 instant, 1 animated; other values move nothing
    HWND hWndList;                  // the dialog's list of titles
    std::atomic<int32_t>* pnAbort;  // the dialog's abort flag
    std::atomic<int32_t>* pnSpeed;  // the dialog's speed step
    std::atomic<int32_t> bStarted;  // 0 when handed over, 1 once copied
    HWND hWndNotify;                // receives nMessage when the worker has finished
    UINT nMessage;                  // WM_RESTORE_DONE
};

// Thread procedures: the parameter points to a RestoreParams. They read the selected
// line as the layout index, restore it from g_layouts (NT: icons matched by name; 9x:
// by index), post nMessage to hWndNotify on every path and return 0.
UINT RestoreWorkerNT(LPVOID param);
UINT RestoreWorker9x(LPVOID param);

// The restore worker's thread, owned by the dialog: started for each restore and
// waited for before the dialog goes away. The wait keeps handling messages sent to
// the waiting thread (the worker sends LB_GETCURSEL to the dialog's list), so it
// cannot deadlock.
#pragma once

#include <windows.h>

class CWorkerThread {
public:
    using Procedure = UINT (*)(LPVOID);

    CWorkerThread() = default;
    ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Runs proc(param) on a new thread at normal priority with the default stack. A
    // previous thread's handle is released first. False when no thread was created.
    bool Start(Procedure proc, LPVOID param);
    // Sleeps up to `ms` milliseconds, less when the thread ends. False when there is no
    // thread or it has ended.
    bool SleepWhileRunning(DWORD ms) const;
    // Waits until the thread has ended, handling sent messages meanwhile, and releases
    // the handle. Returns at once without a thread.
    void Join();

private:
    void Reset();

    HANDLE m_hThread = nullptr;
};

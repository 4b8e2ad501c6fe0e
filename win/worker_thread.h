// A worker thread owned by a window of the interface thread: started for each job and
// waited for before its owner goes away. The wait keeps handling messages sent to the
// waiting thread (a worker may send to its owner's windows), so it cannot deadlock.
#pragma once

#include <windows.h>

#include "win/unique_handle.h"

class CWorkerThread {
public:
    using Procedure = UINT (*)(LPVOID);

    CWorkerThread() = default;
    virtual ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Runs proc(param) on a new thread at normal priority with the default stack. A
    // previous thread is joined first, so no thread ever runs unowned. False when no
    // thread was created.
    bool Start(Procedure proc, LPVOID param);
    // Sleeps up to `ms` milliseconds, less when the thread ends. False when there is no
    // thread or it has ended.
    bool SleepWhileRunning(DWORD ms) const;
    // Waits until the thread has ended, handling sent messages meanwhile, and releases
    // the handle. Returns at once without a thread.
    void Join();
    // The same, but gives up after `ms` milliseconds: false when the thread still runs
    // (its handle is kept).
    bool JoinFor(DWORD ms);

protected:
    // One wait, of at most `ms`, for the thread's end or a sent message.
    virtual DWORD WaitForEndOrMessage(HANDLE thread, DWORD ms);

private:
    win::UniqueHandle m_thread;
};

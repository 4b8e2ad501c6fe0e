// A worker thread owned by a window of the interface thread: started for each job and
// waited for before its owner goes away. The waits keep handling messages sent to the
// waiting thread (a worker may send to its owner's windows), so they cannot deadlock.
#pragma once

#include <windows.h>

#include "win/thread.h"

class CWorkerThread {
public:
    using Procedure = UINT (*)(LPVOID);

    CWorkerThread() = default;
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Runs proc(param) on a new thread; a previous thread is joined first. False when
    // no thread was created.
    bool Start(Procedure proc, LPVOID param);
    // Waits up to `ms` milliseconds, less when the thread ends, handling no message: true
    // when it still runs after that (false without a thread).
    bool StillRunningAfter(DWORD ms);
    // Waits until the thread has ended and releases it. Returns at once without one.
    void Join() { m_thread.Join(); }
    // The same, but gives up after `ms` milliseconds: false when the thread still runs
    // (it stays owned).
    bool JoinFor(DWORD ms) {
        return m_thread.WaitFor(ms, win::Thread::Wait::kAnsweringSentMessages);
    }

private:
    win::Thread m_thread;
};

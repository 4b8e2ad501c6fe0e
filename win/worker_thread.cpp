// The dialog's worker owner on the one thread type.
#include "win/worker_thread.h"

bool CWorkerThread::Start(Procedure proc, LPVOID param) {
    return m_thread.Start([proc, param] { proc(param); });
}

bool CWorkerThread::StillRunningAfter(DWORD ms) {
    return !m_thread.WaitFor(ms, win::Thread::Wait::kBlocked);
}

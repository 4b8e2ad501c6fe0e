// Owned worker thread: start, bounded sleep while it runs, message-safe join.
#include "desktop/restore/worker_thread.h"

#include <process.h>

namespace {

struct StartBlock {
    CWorkerThread::Procedure proc;
    LPVOID param;
};

unsigned __stdcall Trampoline(void* arg) {
    const StartBlock start = *static_cast<StartBlock*>(arg);
    delete static_cast<StartBlock*>(arg);
    return start.proc(start.param);
}

}  // namespace

CWorkerThread::~CWorkerThread() { Reset(); }

bool CWorkerThread::Start(Procedure proc, LPVOID param) {
    Reset();
    auto* start = new StartBlock{proc, param};
    const uintptr_t h = _beginthreadex(nullptr, 0, Trampoline, start, 0, nullptr);
    if (h == 0) {
        delete start;
        return false;
    }
    m_hThread = reinterpret_cast<HANDLE>(h);
    return true;
}

bool CWorkerThread::SleepWhileRunning(DWORD ms) const {
    return m_hThread && WaitForSingleObject(m_hThread, ms) == WAIT_TIMEOUT;
}

void CWorkerThread::Join() {
    while (m_hThread) {
        const DWORD r = MsgWaitForMultipleObjects(1, &m_hThread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1) break;  // ended (or the wait itself failed)
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    Reset();
}

void CWorkerThread::Reset() {
    if (m_hThread) CloseHandle(m_hThread);
    m_hThread = nullptr;
}

// Owned worker thread: start, bounded sleep while it runs, message-safe join.
#include "win/worker_thread.h"

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

void HandleSentMessages() {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace

CWorkerThread::~CWorkerThread() = default;

bool CWorkerThread::Start(Procedure proc, LPVOID param) {
    Join();
    auto* start = new StartBlock{proc, param};
    const uintptr_t h = _beginthreadex(nullptr, 0, Trampoline, start, 0, nullptr);
    if (h == 0) {
        delete start;
        return false;
    }
    m_thread.Reset(reinterpret_cast<HANDLE>(h));
    return true;
}

bool CWorkerThread::SleepWhileRunning(DWORD ms) const {
    return m_thread && WaitForSingleObject(m_thread.Get(), ms) == WAIT_TIMEOUT;
}

DWORD CWorkerThread::WaitForEndOrMessage(HANDLE thread, DWORD ms) {
    return MsgWaitForMultipleObjects(1, &thread, FALSE, ms, QS_SENDMESSAGE);
}

void CWorkerThread::Join() { JoinFor(INFINITE); }

bool CWorkerThread::JoinFor(DWORD ms) {
    const ULONGLONG start = GetTickCount64();
    while (m_thread) {
        const ULONGLONG spent = GetTickCount64() - start;
        if (ms != INFINITE && spent >= ms) return false;
        const DWORD left = ms == INFINITE ? INFINITE : static_cast<DWORD>(ms - spent);
        const DWORD r = WaitForEndOrMessage(m_thread.Get(), left);
        if (r == WAIT_OBJECT_0) break;
        if (r == WAIT_TIMEOUT) continue;
        if (r != WAIT_OBJECT_0 + 1) {
            // The wait itself failed: the thread may still be running and reading what
            // its owner is about to free, so keep waiting, in short slices that still
            // answer the messages it sends.
            if (WaitForSingleObject(m_thread.Get(), 10) == WAIT_OBJECT_0) break;
        }
        HandleSentMessages();
    }
    m_thread.Reset();
    return true;
}

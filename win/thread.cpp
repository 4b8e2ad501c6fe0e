// One thread of our own: the one _beginthreadex trampoline and the one deadline wait.
#include "win/thread.h"

#include <process.h>

#include <memory>
#include <utility>

namespace win {

namespace {

using Body = std::function<void()>;

unsigned __stdcall RunBody(void* arg) {
    const std::unique_ptr<Body> body(static_cast<Body*>(arg));
    (*body)();
    return 0;
}

void HandleSentMessages() {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

DWORD MsUntil(ULONGLONG deadline) {
    if (deadline == Thread::kNoDeadline) return INFINITE;
    const ULONGLONG now = GetTickCount64();
    if (deadline <= now) return 0;
    const ULONGLONG left = deadline - now;
    return left >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(left);
}

}  // namespace

Thread::~Thread() = default;

bool Thread::Start(Body body) {
    Join();
    auto owned = std::make_unique<Body>(std::move(body));
    const uintptr_t h = _beginthreadex(nullptr, 0, RunBody, owned.get(), 0, nullptr);
    if (h == 0) return false;
    owned.release();  // the thread deletes it when the body returns
    m_thread.Reset(reinterpret_cast<HANDLE>(h));
    return true;
}

DWORD Thread::WaitForEndOrMessage(HANDLE thread, DWORD ms) {
    return MsgWaitForMultipleObjects(1, &thread, FALSE, ms, QS_SENDMESSAGE);
}

bool Thread::WaitFor(DWORD ms, Wait how) {
    return WaitUntil(ms == INFINITE ? kNoDeadline : GetTickCount64() + ms, how);
}

bool Thread::WaitUntil(ULONGLONG deadline, Wait how) {
    while (m_thread) {
        const DWORD left = MsUntil(deadline);
        if (how == Wait::kBlocked) {
            if (WaitForSingleObject(m_thread.Get(), left) != WAIT_OBJECT_0) return false;
            break;
        }
        const DWORD r = WaitForEndOrMessage(m_thread.Get(), left);
        if (r == WAIT_OBJECT_0) break;
        if (r == WAIT_TIMEOUT) {
            if (MsUntil(deadline) == 0) return false;
            continue;
        }
        if (r != WAIT_OBJECT_0 + 1) {
            // The wait itself failed: the thread may still be running and reading what
            // its owner is about to free, so keep waiting, in short slices that still
            // answer the messages it sends.
            if (WaitForSingleObject(m_thread.Get(), 10) == WAIT_OBJECT_0) break;
            if (MsUntil(deadline) == 0) return false;
        }
        HandleSentMessages();
    }
    m_thread.Reset();
    return true;
}

}  // namespace win

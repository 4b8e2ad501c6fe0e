// One thread of our own: started with a callable, waited for until a deadline (either
// blocked, or answering the messages other threads send to the waiting one), joined.
// The worker owner and the job slot are built on it.
#pragma once

#include <windows.h>

#include <functional>

#include "win/unique_handle.h"

namespace win {

class Thread {
public:
    // Answering sent messages while waiting: a thread that sends to the waiting thread's
    // windows cannot deadlock with it.
    enum class Wait { kBlocked, kAnsweringSentMessages };

    Thread() = default;
    // Does not wait: a thread still running goes on alone (only its handle is closed).
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Runs `body` on a new thread at normal priority with the default stack. A previous
    // thread is joined first (answering sent messages), so no thread ever runs unowned.
    // The thread owns `body`; false when no thread was created.
    bool Start(std::function<void()> body);
    // Whether a thread is held: started and not yet seen to end.
    bool Held() const { return static_cast<bool>(m_thread); }
    // Waits for the thread's end until `deadline` (a GetTickCount64 value; kNoDeadline
    // waits for good). True when it has ended or none is held; the handle is released
    // then. False at the deadline, with the handle kept.
    bool WaitUntil(ULONGLONG deadline, Wait how);
    // WaitUntil `ms` from now.
    bool WaitFor(DWORD ms, Wait how);
    // Waits for good, answering sent messages.
    void Join() { WaitUntil(kNoDeadline, Wait::kAnsweringSentMessages); }

    static constexpr ULONGLONG kNoDeadline = ~0ULL;

protected:
    // One wait, of at most `ms`, for the thread's end or (answering) a sent message.
    virtual DWORD WaitForEndOrMessage(HANDLE thread, DWORD ms);

private:
    UniqueHandle m_thread;
};

}  // namespace win

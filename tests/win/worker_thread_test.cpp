// The dialog's owned worker thread: it runs the procedure, and joining it keeps
// answering messages that the worker sends to the joining thread.
#include "win/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

struct Shared {
    HWND window = nullptr;
    HANDLE release = nullptr;
    std::atomic<int> result{0};
};

LRESULT CALLBACK AnswerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP) return 42;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

UINT SendToJoiner(LPVOID param) {
    auto* shared = static_cast<Shared*>(param);
    DWORD_PTR answer = 0;
    // Bounded, so that a join that does not answer fails the test instead of hanging it.
    if (SendMessageTimeoutA(shared->window, WM_APP, 0, 0, SMTO_NORMAL, 5000, &answer))
        shared->result = static_cast<int>(answer);
    return 0;
}

UINT WaitForRelease(LPVOID param) {
    auto* shared = static_cast<Shared*>(param);
    WaitForSingleObject(shared->release, 10000);
    shared->result = 7;
    return 0;
}

TEST(WorkerThread, JoinAnswersMessagesSentByTheWorker) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = AnswerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TorvinelJoinTest";
    RegisterClassA(&wc);
    Shared shared;
    shared.window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    wc.hInstance, nullptr);
    ASSERT_TRUE(shared.window);

    CWorkerThread worker;
    ASSERT_TRUE(worker.Start(SendToJoiner, &shared));
    worker.Join();
    EXPECT_EQ(shared.result, 42);
    EXPECT_FALSE(worker.SleepWhileRunning(0));  // joined: no thread any more
    DestroyWindow(shared.window);
}

TEST(WorkerThread, SleepWhileRunningEndsWithTheThread) {
    CWorkerThread worker;
    EXPECT_FALSE(worker.SleepWhileRunning(0));
    worker.Join();  // nothing to wait for

    Shared shared;
    shared.release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(worker.Start(WaitForRelease, &shared));
    EXPECT_TRUE(worker.SleepWhileRunning(20));
    SetEvent(shared.release);
    const DWORD start = GetTickCount();
    while (worker.SleepWhileRunning(100)) {
        ASSERT_LT(GetTickCount() - start, 10000u);
    }
    EXPECT_EQ(shared.result, 7);
    // A second start releases the first handle and runs again.
    shared.result = 0;
    ASSERT_TRUE(worker.Start(WaitForRelease, &shared));
    worker.Join();
    EXPECT_EQ(shared.result, 7);
    CloseHandle(shared.release);
}

UINT SleepThenFinish(LPVOID param) {
    Sleep(300);
    static_cast<Shared*>(param)->result = 9;
    return 0;
}

UINT NoWork(LPVOID) { return 0; }

// A wait that always fails, as MsgWaitForMultipleObjects may.
class FailingWaitThread : public CWorkerThread {
protected:
    DWORD WaitForEndOrMessage(HANDLE, DWORD) override { return WAIT_FAILED; }
};

TEST(WorkerThread, NoThreadOutlivesItsOwnerWithoutAJoin) {
    {
        SCOPED_TRACE("the wait itself fails");
        Shared shared;
        FailingWaitThread worker;
        ASSERT_TRUE(worker.Start(SleepThenFinish, &shared));
        worker.Join();
        EXPECT_EQ(shared.result, 9);  // still running would read a freed owner
    }
    {
        SCOPED_TRACE("a second start while the first thread runs");
        Shared shared;
        CWorkerThread worker;
        ASSERT_TRUE(worker.Start(SleepThenFinish, &shared));
        ASSERT_TRUE(worker.Start(NoWork, nullptr));
        EXPECT_EQ(shared.result, 9);
        worker.Join();
    }
}

TEST(WorkerThread, JoinForGivesUpOnAThreadThatDoesNotEnd) {
    Shared shared;
    shared.release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CWorkerThread worker;
    ASSERT_TRUE(worker.Start(WaitForRelease, &shared));
    EXPECT_FALSE(worker.JoinFor(100));
    EXPECT_TRUE(worker.SleepWhileRunning(0));  // still owned
    SetEvent(shared.release);
    EXPECT_TRUE(worker.JoinFor(10000));
    EXPECT_EQ(shared.result, 7);
    EXPECT_TRUE(worker.JoinFor(0));  // nothing left to wait for
    CloseHandle(shared.release);
}

}  // namespace

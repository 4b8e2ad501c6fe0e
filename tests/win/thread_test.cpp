// The one thread type: its body runs and is freed, waits end at their deadline or with
// the thread, the answering wait answers messages the thread sends to the waiter, and
// no thread runs unowned (a start joins the previous one, a failing wait still waits).
#include "win/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

using Wait = win::Thread::Wait;

LRESULT CALLBACK AnswerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP) return 42;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(Thread, TheAnsweringWaitAnswersMessagesSentByTheThread) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = AnswerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TorvinelThreadTest";
    RegisterClassA(&wc);
    const HWND window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                        nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(window);
    for (const bool join : {true, false}) {
        SCOPED_TRACE(join ? "Join" : "WaitFor");
        std::atomic<int> answer{0};
        win::Thread thread;
        ASSERT_TRUE(thread.Start([window, &answer] {
            DWORD_PTR result = 0;
            // Bounded, so that a wait that does not answer fails the test, not hangs it.
            if (SendMessageTimeoutA(window, WM_APP, 0, 0, SMTO_NORMAL, 5000, &result))
                answer = static_cast<int>(result);
        }));
        if (join)
            thread.Join();
        else
            EXPECT_TRUE(thread.WaitFor(10000, Wait::kAnsweringSentMessages));
        EXPECT_EQ(answer, 42);
        EXPECT_FALSE(thread.Held());  // seen to end: released
    }
    DestroyWindow(window);
}

TEST(Thread, AWaitEndsAtItsDeadlineOrWithTheThread) {
    const win::UniqueHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(release);
    const HANDLE event = release.Get();
    const auto owned = std::make_shared<int>(0);
    win::Thread thread;
    EXPECT_TRUE(thread.WaitFor(0, Wait::kBlocked));  // nothing held: nothing to wait for
    ASSERT_TRUE(thread.Start([owned, event] {
        WaitForSingleObject(event, 20000);
        *owned = 7;
    }));
    for (const Wait how : {Wait::kBlocked, Wait::kAnsweringSentMessages}) {
        const ULONGLONG start = GetTickCount64();
        EXPECT_FALSE(thread.WaitFor(100, how));
        EXPECT_GE(GetTickCount64() - start, 90u);
        EXPECT_FALSE(thread.WaitUntil(GetTickCount64(), how));  // a deadline already past
        EXPECT_TRUE(thread.Held());                             // still owned
    }
    SetEvent(event);
    EXPECT_TRUE(thread.WaitFor(10000, Wait::kBlocked));
    EXPECT_FALSE(thread.Held());
    EXPECT_EQ(*owned, 7);
    EXPECT_EQ(owned.use_count(), 1);  // the body, with what it held, is gone
}

// A wait that always fails, as MsgWaitForMultipleObjects may.
class FailingWaitThread : public win::Thread {
protected:
    DWORD WaitForEndOrMessage(HANDLE, DWORD) override { return WAIT_FAILED; }
};

TEST(Thread, NoThreadOutlivesAJoin) {
    const auto sleepThenFinish = [](std::atomic<int>& done) {
        return [&done] {
            Sleep(300);
            done = 9;
        };
    };
    {
        SCOPED_TRACE("the wait itself fails");
        std::atomic<int> done{0};
        FailingWaitThread thread;
        ASSERT_TRUE(thread.Start(sleepThenFinish(done)));
        thread.Join();
        EXPECT_EQ(done, 9);  // still running would read a freed owner
    }
    {
        SCOPED_TRACE("a second start while the first thread runs");
        std::atomic<int> done{0};
        std::atomic<int> second{0};
        win::Thread thread;
        ASSERT_TRUE(thread.Start(sleepThenFinish(done)));
        ASSERT_TRUE(thread.Start([&second] { second = 1; }));
        EXPECT_EQ(done, 9);
        thread.Join();
        EXPECT_EQ(second, 1);
    }
}

}  // namespace

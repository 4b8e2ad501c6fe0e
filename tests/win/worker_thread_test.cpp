// The dialog's worker owner: the procedure gets its parameter, and the start handshake's
// bounded wait says whether the worker still runs.
#include "win/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

struct Shared {
    HANDLE release = nullptr;
    std::atomic<int> result{0};
};

UINT WaitForRelease(LPVOID param) {
    auto* shared = static_cast<Shared*>(param);
    WaitForSingleObject(shared->release, 10000);
    shared->result = 7;
    return 0;
}

TEST(WorkerThread, StillRunningAfterEndsWithTheThread) {
    CWorkerThread worker;
    EXPECT_FALSE(worker.StillRunningAfter(0));
    worker.Join();  // nothing to wait for

    Shared shared;
    shared.release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(worker.Start(WaitForRelease, &shared));
    EXPECT_TRUE(worker.StillRunningAfter(20));
    EXPECT_FALSE(worker.JoinFor(20));
    SetEvent(shared.release);
    const DWORD start = GetTickCount();
    while (worker.StillRunningAfter(100)) {
        ASSERT_LT(GetTickCount() - start, 10000u);
    }
    EXPECT_EQ(shared.result, 7);
    EXPECT_TRUE(worker.JoinFor(0));  // nothing left to wait for
    CloseHandle(shared.release);
}

}  // namespace

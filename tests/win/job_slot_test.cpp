// The job slot: a job is waited for only so long, an overrunning one keeps the slot
// until it ends (no second job meanwhile, and that is seen without waiting), and what a
// job owns is freed when it ends.
#include "win/job_slot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

TEST(JobSlot, AFinishedJobHasRunAndFreedWhatItOwned) {
    win::JobSlot slot;
    const auto owned = std::make_shared<int>(0);
    ASSERT_TRUE(slot.Start([owned] { *owned = 7; }));
    EXPECT_TRUE(slot.WaitFor(10000));
    EXPECT_FALSE(slot.Busy());
    EXPECT_EQ(*owned, 7);
    EXPECT_EQ(owned.use_count(), 1);
}

TEST(JobSlot, AnOverrunningJobHoldsTheSlotUntilItEnds) {
    win::JobSlot slot;
    const win::UniqueHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(release);
    const auto owned = std::make_shared<int>(0);
    const HANDLE event = release.Get();
    ASSERT_TRUE(slot.Start([owned, event] {
        WaitForSingleObject(event, 20000);
        *owned = 1;
    }));
    EXPECT_FALSE(slot.WaitFor(100));
    EXPECT_TRUE(slot.Busy());

    std::atomic<int> secondRan{0};
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(slot.Start([&secondRan] { secondRan = 1; }));
    EXPECT_LT(GetTickCount64() - start, 1000u);  // refused at once, not after a wait
    EXPECT_EQ(secondRan, 0);

    // Once the first has ended, the next one runs.
    SetEvent(event);
    const ULONGLONG released = GetTickCount64();
    while (slot.Busy()) {
        ASSERT_LT(GetTickCount64() - released, 10000u);
        Sleep(10);
    }
    std::atomic<int> thirdRan{0};
    ASSERT_TRUE(slot.Start([&thirdRan] { thirdRan = 1; }));
    EXPECT_TRUE(slot.WaitFor(10000));
    EXPECT_EQ(thirdRan, 1);
    EXPECT_EQ(*owned, 1);
    EXPECT_EQ(owned.use_count(), 1);
}

}  // namespace

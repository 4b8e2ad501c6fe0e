// The job slot: a job is waited for only so long, an overrunning one keeps the slot
// until it ends (no second job meanwhile), and what a job owns is freed when it ends.
#include "win/job_slot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

using Outcome = win::JobSlot::Outcome;

TEST(JobSlot, AFinishedJobHasRunAndFreedWhatItOwned) {
    win::JobSlot slot;
    const auto owned = std::make_shared<int>(0);
    EXPECT_EQ(slot.Run([owned] { *owned = 7; }, 10000), Outcome::kFinished);
    EXPECT_EQ(*owned, 7);
    EXPECT_EQ(owned.use_count(), 1);
}

TEST(JobSlot, AnOverrunningJobHoldsTheSlotUntilItEnds) {
    win::JobSlot slot;
    const win::UniqueHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(release);
    const auto owned = std::make_shared<int>(0);
    const HANDLE event = release.Get();
    EXPECT_EQ(slot.Run(
                  [owned, event] {
                      WaitForSingleObject(event, 20000);
                      *owned = 1;
                  },
                  100),
              Outcome::kOverran);

    std::atomic<int> secondRan{0};
    EXPECT_EQ(slot.Run([&secondRan] { secondRan = 1; }, 100), Outcome::kNotStarted);
    EXPECT_EQ(secondRan, 0);

    // Once the first ends, within the next one's wait, the next one runs.
    SetEvent(event);
    std::atomic<int> thirdRan{0};
    EXPECT_EQ(slot.Run([&thirdRan] { thirdRan = 1; }, 10000), Outcome::kFinished);
    EXPECT_EQ(thirdRan, 1);
    EXPECT_EQ(*owned, 1);
    EXPECT_EQ(owned.use_count(), 1);
}

}  // namespace

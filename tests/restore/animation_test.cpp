// Step sequences of the icon animation: exact values, truncation, speed and abort.
#include "desktop/restore/animation.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

namespace {

using Points = std::vector<std::pair<int32_t, int32_t>>;

struct Motion {
    std::atomic<int32_t> abort{0};
    std::atomic<int32_t> speed{1};
    Points sent;

    void Animate(int32_t x, int32_t y, int32_t tx, int32_t ty) {
        restore::AnimateIcon(x, y, tx, ty, abort, speed,
                             [this](int32_t nx, int32_t ny) { sent.emplace_back(nx, ny); });
    }
};

TEST(Animation, TenStepsThenTheExactTarget) {
    Motion run;
    run.Animate(100, 50, 103, 40);
    const Points expected = {{100, 49}, {100, 48}, {100, 47}, {101, 46}, {101, 45}, {101, 44},
                             {102, 43}, {102, 42}, {102, 41}, {103, 40}, {103, 40}};
    EXPECT_EQ(run.sent, expected);
}

TEST(Animation, NegativeDifferencesTruncateTowardZero) {
    Motion run;
    run.Animate(10, 0, 7, 10);  // f = 10 along y
    std::vector<int32_t> xs;
    for (const auto& p : run.sent) xs.push_back(p.first);
    const std::vector<int32_t> expected = {10, 10, 10, 9, 9, 9, 8, 8, 8, 7, 7};
    EXPECT_EQ(xs, expected);
    // Both axes negative: truncation toward zero, never floor.
    Motion both;
    both.Animate(0, 0, -3, -10);
    EXPECT_EQ(both.sent[0], std::make_pair(0, -1));
    EXPECT_EQ(both.sent[3], std::make_pair(-1, -4));
    EXPECT_EQ(both.sent.size(), 11u);
}

TEST(Animation, IconInPlaceReceivesNothing) {
    Motion run;
    run.Animate(-5, 7, -5, 7);
    EXPECT_TRUE(run.sent.empty());
}

TEST(Animation, SpeedAtOrAboveDistanceMakesOneStepThenTarget) {
    for (int32_t speed : {10, 11, 1000}) {
        Motion run;
        run.speed = speed;
        run.Animate(100, 50, 103, 40);
        const Points expected = {{100, 49}, {103, 40}};
        EXPECT_EQ(run.sent, expected) << "speed " << speed;
    }
}

TEST(Animation, SpeedIsReadAtEveryStep) {
    Motion run;
    restore::AnimateIcon(0, 0, 100, 0, run.abort, run.speed, [&](int32_t nx, int32_t ny) {
        run.sent.emplace_back(nx, ny);
        if (run.sent.size() == 2) run.speed = 30;  // a "faster" click during step 2
    });
    // s: 0, 1, then 31, 61, 91, 121 >= 100: target.
    const Points expected = {{1, 0}, {2, 0}, {32, 0}, {62, 0}, {92, 0}, {100, 0}};
    EXPECT_EQ(run.sent, expected);
}

TEST(Animation, SpeedBelowOneStillAdvances) {
    Motion run;
    run.speed = 0;
    run.Animate(0, 0, 3, 0);
    const Points expected = {{1, 0}, {2, 0}, {3, 0}, {3, 0}};
    EXPECT_EQ(run.sent, expected);
}

TEST(Animation, AbortStopsAfterTheStepInProgressWithoutTarget) {
    Motion run;
    restore::AnimateIcon(0, 0, 10, 0, run.abort, run.speed, [&](int32_t nx, int32_t ny) {
        run.sent.emplace_back(nx, ny);
        if (run.sent.size() == 3) run.abort = 1;
    });
    const Points expected = {{1, 0}, {2, 0}, {3, 0}};
    EXPECT_EQ(run.sent, expected);
    // Raised before the icon starts: its first step is still made.
    Motion early;
    early.abort = 1;
    early.Animate(0, 0, 0, 5);
    const Points first = {{0, 1}};
    EXPECT_EQ(early.sent, first);
}

TEST(Animation, LargeDistancesDoNotOverflow) {
    // Beyond 46,340 pixels the product leaves 32 bits; across the whole 32-bit range it
    // leaves 63 bits as well.
    struct Case {
        int32_t from, to;
        int64_t s, f;
        int32_t expected;
    } cases[] = {
        {0, 60000, 49999, 60000, 50000},
        {-32768, 32767, 65534, 65535, 32767},
        {INT32_MIN, INT32_MAX, 0, 4294967295LL, INT32_MIN + 1},
        {INT32_MIN, INT32_MAX, 4294967294LL, 4294967295LL, INT32_MAX},
        {INT32_MAX, INT32_MIN, 2147483647LL, 4294967295LL, -1},
        {INT32_MIN, 32767, 1000, 2147516415LL, INT32_MIN + 1001},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(restore::AnimationCoord(c.from, c.to, c.s, c.f), c.expected)
            << c.from << " -> " << c.to << " step " << c.s;
    }
    EXPECT_EQ(restore::AnimationDistance(INT32_MIN, 0, INT32_MAX, 5), 4294967295LL);

    Motion run;
    run.speed = 1000;
    run.Animate(-32768, 0, 32767, 100);
    ASSERT_FALSE(run.sent.empty());
    EXPECT_EQ(run.sent.front(), std::make_pair(-32767, 0));
    EXPECT_EQ(run.sent.back(), std::make_pair(32767, 100));
    EXPECT_EQ(run.sent.size(), 67u);  // s = 0, 1000, ..., 65000: 66 steps, then the target
}

}  // namespace

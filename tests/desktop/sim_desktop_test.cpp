// The simulated desktop keeps the list view's message semantics that capture and
// restore tests rely on: 16-bit positions, range tests of the remote reads, the shared
// block that reports what it holds, and a log in call order.
#include "fakes/desktop/sim_desktop.h"

#include <gtest/gtest.h>

namespace desktop {
namespace {

using Lines = std::vector<std::string>;

TEST(SimDesktop, SetPositionKeepsLow16BitsSignExtended) {
    struct Case {
        int32_t x, y;
        uint32_t lParam;
        int32_t backX, backY;
    };
    const Case cases[] = {
        {-20, 35, 0x0023FFEC, -20, 35},
        {-32768, 32767, 0x7FFF8000, -32768, 32767},
        {70000, -70000, 0xEE901170, 4464, -4464},  // only the low words travel
        {0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SimDesktop sim({{"a", 1, 1}, {"b", 2, 2}, {"c", 3, 3}, {"d", 4, 4}});
        sim.SetPosition(SimDesktop::kView, 3, c.x, c.y);
        ASSERT_EQ(sim.Log().size(), 1u);
        EXPECT_EQ(sim.Log()[0].index, 3);
        EXPECT_EQ(sim.Log()[0].lParam, c.lParam) << c.x << "," << c.y;
        EXPECT_EQ(sim.Items()[3].x, c.backX);
        EXPECT_EQ(sim.Items()[3].y, c.backY);
    }
}

TEST(SimDesktop, RemoteReadsAskTheCountAndLeaveOutOfRangeOutputsUntouched) {
    SimDesktop sim({{"A", 10, 20}, {std::string(150, 'x'), -5, -6}});
    {
        auto ctx = sim.OpenRemote(sim.FindView());
        ASSERT_TRUE(ctx);
        EXPECT_EQ(sim.OpenContexts(), 1);
        EXPECT_EQ(ctx->ReadText(0), "A");
        EXPECT_EQ(ctx->ReadText(1), std::string(99, 'x'));
        int32_t x = 7, y = 8;
        EXPECT_TRUE(ctx->ReadPosition(1, x, y));
        EXPECT_EQ(x, -5);
        EXPECT_EQ(y, -6);
        for (int bad : {-1, 2}) {
            x = 7, y = 8;
            EXPECT_EQ(ctx->ReadText(bad), "");
            EXPECT_FALSE(ctx->ReadPosition(bad, x, y));
            EXPECT_EQ(x, 7);
            EXPECT_EQ(y, 8);
        }
    }
    EXPECT_EQ(sim.OpenContexts(), 0);
    EXPECT_EQ(sim.LogLines(),
              (Lines{"find", "open remote", "count", "text 0", "count", "text 1", "count", "pos 1",
                     "count", "count", "count", "count", "close"}));
}

TEST(SimDesktop, SharedReadSendsForAnyIndexAndWritesOnlyWhatTheViewAnswered) {
    SimDesktop sim({{"", 10, 20}, {"", 30, 40}});
    auto ctx = sim.OpenShared(SimDesktop::kView);
    ASSERT_TRUE(ctx);
    int32_t x = 7, y = 8;
    EXPECT_TRUE(ctx->ReadPosition(1, x, y));
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
    x = 7, y = 8;
    EXPECT_FALSE(ctx->ReadPosition(2, x, y));  // no count asked, the message still goes
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);
    ctx.reset();
    EXPECT_EQ(sim.LogLines(), (Lines{"open shared", "pos 1", "pos 2", "close"}));
}

TEST(SimDesktop, InjectedFailuresAndAbsentView) {
    SimDesktop sim({{"A", 1, 2}});
    sim.SetViewPresent(false);
    EXPECT_EQ(sim.FindView(), 0u);
    sim.SetFailOpenRemote(true);
    sim.SetFailOpenShared(true);
    EXPECT_FALSE(sim.OpenRemote(SimDesktop::kView));
    EXPECT_FALSE(sim.OpenShared(SimDesktop::kView));
    EXPECT_EQ(sim.OpenContexts(), 0);
    EXPECT_EQ(sim.LogLines(), (Lines{"find", "open remote failed", "open shared failed"}));

    sim.SetFailOpenRemote(false);
    sim.SetFailRemoteReads(true);
    auto ctx = sim.OpenRemote(SimDesktop::kView);
    int32_t x = 7, y = 8;
    EXPECT_EQ(ctx->ReadText(0), "");
    EXPECT_FALSE(ctx->ReadPosition(0, x, y));
    EXPECT_EQ(x, 7);
}

TEST(SimDesktop, ItemVanishingAfterTheCountReadsAsAbsent) {
    SimDesktop sim({{"A", 1, 2}, {"B", 3, 4}});
    // The icon goes between the count of a read and the read itself.
    sim.SetOnCall([&](const SimCall& c) {
        if (c.op == SimOp::CountItems && sim.CountOf(SimOp::CountItems) == 2) sim.Items().resize(1);
    });
    auto ctx = sim.OpenRemote(SimDesktop::kView);
    EXPECT_EQ(ctx->ReadText(1), "B");
    int32_t x = 7, y = 8;
    EXPECT_FALSE(ctx->ReadPosition(1, x, y));
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);
}

}  // namespace
}  // namespace desktop

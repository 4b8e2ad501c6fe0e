// Capture against the simulated desktop: what is stored, in which order, through how
// many messages and contexts, and what is left behind when it cannot finish.
#include "desktop/capture/capture.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/desktop/sim_desktop.h"

namespace desktop {
namespace {

using Lines = std::vector<std::string>;
constexpr Scheme kNt = Scheme::RemoteByName;
constexpr Scheme k9x = Scheme::SharedByIndex;

struct Entry {
    std::string name;
    int32_t x, y;
    bool operator==(const Entry& o) const { return name == o.name && x == o.x && y == o.y; }
};
std::ostream& operator<<(std::ostream& os, const Entry& e) {
    return os << "{\"" << e.name << "\", " << e.x << ", " << e.y << "}";
}

std::vector<Entry> Entries(const CLayoutStore& store, int i) {
    std::vector<Entry> entries;
    for (int j = 0; j < store.GetIconCount(i); ++j) {
        Entry e{store.GetIconName(i, j), 0, 0};
        store.GetIconPos(i, j, e.x, e.y);
        entries.push_back(e);
    }
    return entries;
}

void AddLayout(CLayoutStore& store, const char* title) {
    const int i = store.GetCount();
    store.SetTitle(i, title);
    store.AddIconXY(i, 1, 1, "old");
}

const std::vector<SimItem> kIcons = {
    {"ごみ箱", 10, 20}, {"Readme", -20, 35}, {"Readme", 300, -5}, {"", 7, 8}};

TEST(Capture, NtSchemeStoresTextAndPositionOfEveryIconInItemOrder) {
    SimDesktop sim(kIcons);
    CLayoutStore store;
    AddLayout(store, "first");
    AddLayout(store, "second");

    EXPECT_EQ(CaptureLayout(sim, store, "new", kNt), CaptureOutcome::Captured);

    ASSERT_EQ(store.GetCount(), 3);
    EXPECT_EQ(store.GetTitle(2), "new");
    // Equal texts are all kept; nothing is filtered.
    EXPECT_EQ(Entries(store, 2),
              (std::vector<Entry>{
                  {"ごみ箱", 10, 20}, {"Readme", -20, 35}, {"Readme", 300, -5}, {"", 7, 8}}));
    // One context; per icon two counts, text before position.
    Lines expected = {"find", "count", "open remote"};
    for (int j = 0; j < 4; ++j) {
        for (const char* op : {"text ", "pos "}) {
            expected.push_back("count");
            expected.push_back(op + std::to_string(j));
        }
    }
    expected.push_back("close");
    EXPECT_EQ(sim.LogLines(), expected);
    EXPECT_EQ(sim.OpenContexts(), 0);
}

TEST(Capture, SharedSchemeStoresPositionsWithEmptyNamesOnePerIcon) {
    SimDesktop sim(kIcons);
    CLayoutStore store;
    EXPECT_EQ(CaptureLayout(sim, store, "9x", k9x), CaptureOutcome::Captured);
    ASSERT_EQ(store.GetCount(), 1);
    EXPECT_EQ(Entries(store, 0),
              (std::vector<Entry>{{"", 10, 20}, {"", -20, 35}, {"", 300, -5}, {"", 7, 8}}));
    EXPECT_EQ(sim.LogLines(),
              (Lines{"find", "count", "open shared", "pos 0", "pos 1", "pos 2", "pos 3", "close"}));
}

TEST(Capture, StopsBeforeStoringWithoutViewOrIcons) {
    struct Case {
        const char* what;
        bool viewPresent;
        std::vector<SimItem> items;
        CaptureOutcome outcome;
        Lines log;
    };
    const Case cases[] = {
        {"no view", false, kIcons, CaptureOutcome::NoView, {"find"}},
        {"no icons", true, {}, CaptureOutcome::NoIcons, {"find", "count"}},
    };
    for (const Case& c : cases) {
        for (Scheme platform : {kNt, k9x}) {
            SCOPED_TRACE(std::string(c.what) + (platform == kNt ? " NT" : " 9x"));
            SimDesktop sim(c.items);
            sim.SetViewPresent(c.viewPresent);
            CLayoutStore store;
            AddLayout(store, "kept");
            EXPECT_EQ(CaptureLayout(sim, store, "t", platform), c.outcome);
            EXPECT_EQ(sim.LogLines(), c.log);
            EXPECT_EQ(store.GetCount(), 1);
            EXPECT_EQ(store.GetTitle(1), "");  // no title stored
        }
    }
}

TEST(Capture, FailedOpenLeavesAnUncountedTitleThatTheNextCaptureReuses) {
    for (Scheme platform : {kNt, k9x}) {
        SCOPED_TRACE(platform == kNt ? "NT" : "9x");
        SimDesktop sim(kIcons);
        sim.SetFailOpenRemote(true);
        sim.SetFailOpenShared(true);
        CLayoutStore store;
        AddLayout(store, "kept");

        EXPECT_EQ(CaptureLayout(sim, store, "t", platform), CaptureOutcome::Failed);
        EXPECT_EQ(store.GetCount(), 1);
        EXPECT_EQ(store.GetTitle(1), "t");  // stored before the read, not counted
        EXPECT_EQ(store.FindTitle("t"), -1);
        EXPECT_EQ(sim.OpenContexts(), 0);

        sim.SetFailOpenRemote(false);
        sim.SetFailOpenShared(false);
        EXPECT_EQ(CaptureLayout(sim, store, "t", platform), CaptureOutcome::Captured);
        EXPECT_EQ(store.GetCount(), 2);
        EXPECT_EQ(store.FindTitle("t"), 1);
        EXPECT_EQ(store.GetIconCount(1), 4);
    }
}

// A shell that hangs or dies mid-capture: whichever message goes unanswered, nothing
// is stored but the uncounted title, no later message is sent, and the context is
// released. (NT: 1 count, then count + text + count + position per icon; 9x: 1 count,
// then one position per icon.)
TEST(Capture, ViewLostAtAnyMessageStoresNothing) {
    struct Case {
        Scheme scheme;
        int messages;  // of a whole capture of kIcons
    };
    for (const Case& c : {Case{kNt, 1 + 4 * 4}, Case{k9x, 1 + 4}}) {
        for (int lost = 1; lost <= c.messages; ++lost) {
            SCOPED_TRACE((c.scheme == kNt ? "NT, message " : "9x, message ") +
                         std::to_string(lost));
            SimDesktop sim(kIcons);
            sim.SetUnansweredMessage(lost);
            CLayoutStore store;
            AddLayout(store, "kept");
            EXPECT_EQ(CaptureLayout(sim, store, "t", c.scheme), CaptureOutcome::Failed);
            EXPECT_EQ(store.GetCount(), 1);
            EXPECT_EQ(store.FindTitle("t"), -1);
            EXPECT_EQ(store.GetIconCount(1), 0);
            EXPECT_EQ(sim.OpenContexts(), 0);
            const Lines log = sim.LogLines();
            const auto unanswered = std::find_if(log.begin(), log.end(), [](const std::string& l) {
                return l.find("unanswered") != std::string::npos;
            });
            ASSERT_NE(unanswered, log.end());
            for (auto it = unanswered + 1; it != log.end(); ++it) EXPECT_EQ(*it, "close");
        }
    }
}

TEST(Capture, TitleIsStoredBeforeTheDesktopIsRead) {
    SimDesktop sim(kIcons);
    CLayoutStore store;
    std::string titleAtOpen = "(not seen)";
    sim.SetOnCall([&](const SimCall& c) {
        if (c.op == SimOp::OpenRemote) titleAtOpen = store.GetTitle(0);
    });
    CaptureLayout(sim, store, "early", kNt);
    EXPECT_EQ(titleAtOpen, "early");
}

// An icon that vanishes after the count keeps its entry, named "", placed where the
// icon before it was (or at 0,0 for the first); never at unset memory.
TEST(Capture, VanishedIconsTakeThePreviousPositionOrOrigin) {
    struct Case {
        const char* what;
        Scheme platform;
        SimOp after;  // items 1.. vanish after the first call of this kind on item 0
        std::size_t keep;
        std::vector<Entry> stored;
    };
    const Case cases[] = {
        {"NT, after item 0",
         kNt,
         SimOp::ReadPosition,
         1,
         {{"A", 10, 20}, {"", 10, 20}, {"", 10, 20}}},
        {"NT, all before any read",
         kNt,
         SimOp::OpenRemote,
         0,
         {{"", 0, 0}, {"", 0, 0}, {"", 0, 0}}},
        {"9x, after item 0",
         k9x,
         SimOp::ReadPosition,
         1,
         {{"", 10, 20}, {"", 10, 20}, {"", 10, 20}}},
        {"9x, all before any read",
         k9x,
         SimOp::OpenShared,
         0,
         {{"", 0, 0}, {"", 0, 0}, {"", 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimDesktop sim({{"A", 10, 20}, {"B", 30, 40}, {"C", 50, 60}});
        bool done = false;
        sim.SetOnCall([&](const SimCall& call) {
            if (!done && call.op == c.after) {
                done = true;
                sim.Items().resize(c.keep);
            }
        });
        CLayoutStore store;
        EXPECT_EQ(CaptureLayout(sim, store, "t", c.platform), CaptureOutcome::Captured);
        EXPECT_EQ(Entries(store, 0), c.stored);  // the loop still runs the counted 3 times
    }
}

TEST(Capture, FailedRemoteTransfersStoreEmptyNamesAtTheOrigin) {
    SimDesktop sim(kIcons);
    sim.SetFailRemoteReads(true);
    CLayoutStore store;
    EXPECT_EQ(CaptureLayout(sim, store, "t", kNt), CaptureOutcome::Captured);
    EXPECT_EQ(Entries(store, 0),
              (std::vector<Entry>{{"", 0, 0}, {"", 0, 0}, {"", 0, 0}, {"", 0, 0}}));
}

TEST(Capture, EmptyTitleAndTitlesDifferingInCaseAreOrdinaryTitles) {
    SimDesktop sim(kIcons);
    CLayoutStore store;
    for (const char* title : {"", "Home", "HOME"})
        EXPECT_EQ(CaptureLayout(sim, store, title, kNt), CaptureOutcome::Captured);
    EXPECT_EQ(store.GetCount(), 3);
    EXPECT_EQ(store.FindTitle(""), 0);
    EXPECT_EQ(store.FindTitle("Home"), 1);
    EXPECT_EQ(store.FindTitle("HOME"), 2);
}

}  // namespace
}  // namespace desktop

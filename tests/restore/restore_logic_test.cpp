// Both restore variants against the simulated desktop: which items move, the exact
// position messages, the abort and speed words, and release on every path.
#include "desktop/restore/restore_logic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/desktop/sim_desktop.h"
#include "store/layout_store.h"

namespace {

using desktop::SimDesktop;
using desktop::SimItem;
using desktop::SimOp;
using Lines = std::vector<std::string>;

struct SavedIcon {
    const char* name;
    int32_t x, y;
};

class RestoreTest : public ::testing::Test {
protected:
    // Layout 0 holds `icons`; no other layout exists.
    void Save(const std::vector<SavedIcon>& icons) {
        store.SetTitle(0, "a");
        for (const SavedIcon& icon : icons) store.AddIconXY(0, icon.x, icon.y, icon.name);
    }

    void ByName(int32_t mode, int layout = 0) {
        restore::RestoreByName(sim, {store, layout, mode, abort, speed});
    }
    void ByIndex(int32_t mode, int layout = 0) {
        restore::RestoreByIndex(sim, {store, layout, mode, abort, speed});
    }

    // Only the position messages, in order.
    Lines Sets() const {
        Lines sets;
        for (const std::string& line : sim.LogLines()) {
            if (line.rfind("set ", 0) == 0) sets.push_back(line);
        }
        return sets;
    }

    // Everything opened was closed, and nothing is left open.
    void ExpectReleased() const {
        int opened = 0;
        for (const auto& call : sim.Log()) {
            if ((call.op == SimOp::OpenRemote || call.op == SimOp::OpenShared) && call.ok) ++opened;
        }
        EXPECT_EQ(opened, sim.CountOf(SimOp::CloseContext));
        EXPECT_EQ(sim.OpenContexts(), 0);
    }

    // Raises the abort flag at the n-th position message (1-based).
    void AbortAtSet(int n) {
        sim.SetOnCall([this, n, seen = 0](const desktop::SimCall& call) mutable {
            if (call.op == SimOp::SetPosition && ++seen == n) abort = 1;
        });
    }

    CLayoutStore store;
    SimDesktop sim;
    std::atomic<int32_t> abort{0};
    std::atomic<int32_t> speed{1};
};

// (100, 50) -> (103, 40) with speed 1: ten steps, then the target once more.
const Lines kTenSteps = {"set 0 0x00310064", "set 0 0x00300064", "set 0 0x002f0064",
                         "set 0 0x002e0065", "set 0 0x002d0065", "set 0 0x002c0065",
                         "set 0 0x002b0066", "set 0 0x002a0066", "set 0 0x00290066",
                         "set 0 0x00280067", "set 0 0x00280067"};

TEST_F(RestoreTest, ByNameInstantMatchesIgnoringCaseAndWalksEveryItem) {
    Save({{"Recycle Bin", 100, 200}, {"マイ ドキュメント", -20, 35}, {"recycle bin", 1, 1}});
    sim.Items() = {{"マイ ドキュメント", 0, 0},
                   {"Notes.txt", 7, 7},
                   {"RECYCLE BIN", 5, 5},
                   {"Recycle bin", 9, 9}};
    abort = 1;  // an instant restore does not look at it
    speed = 50;
    ByName(restore::kRestoreInstant);
    const Lines expected = {"find",
                            "open remote",
                            "count",
                            "screen",  // once, before the first position message
                            "count",
                            "text 0",
                            "set 0 0x0023ffec",  // (-20, 35)
                            "count",
                            "text 1",
                            "count",
                            "text 2",
                            "set 2 0x00c80064",  // first saved icon of that name
                            "count",
                            "text 3",
                            "set 3 0x00010001",  // the second one: not on top of the first
                            "close"};
    EXPECT_EQ(sim.LogLines(), expected);
    EXPECT_EQ(sim.Items()[1].x, 7);  // no saved place: untouched
    ExpectReleased();
}

TEST_F(RestoreTest, ByNameAnimatedSendsTheStepSequence) {
    Save({{"A", 103, 40}, {"B", 30, 30}});
    sim.Items() = {{"a", 100, 50}, {"b", 30, 30}, {"c", 0, 0}};
    ByName(restore::kRestoreAnimated);
    EXPECT_EQ(Sets(), kTenSteps);  // B is in place: nothing for it
    EXPECT_EQ(sim.CountOf(SimOp::ReadPosition), 2);
    EXPECT_EQ(sim.Items()[0].x, 103);
    EXPECT_EQ(sim.Items()[0].y, 40);
    ExpectReleased();
}

TEST_F(RestoreTest, ByNameIconsSavedWithoutNamesMoveOnlyUnnamedItems) {
    Save({{"", 10, 10}, {"", 20, 20}});
    sim.Items() = {{"A", 0, 0}, {"", 0, 0}};
    ByName(restore::kRestoreInstant);
    EXPECT_EQ(Sets(), Lines{"set 1 0x000a000a"});
}

TEST_F(RestoreTest, ByNameSkipsAnItemWhosePositionCannotBeRead) {
    Save({{"A", 10, 0}, {"B", 20, 0}, {"", 30, 0}});
    sim.Items() = {{"A", 0, 0}, {"B", 0, 0}};
    // B vanishes between its text read and its position read.
    sim.SetOnCall([this](const desktop::SimCall& call) {
        if (call.op == SimOp::ReadText && call.index == 1) sim.Items().resize(1);
    });
    ByName(restore::kRestoreAnimated);
    for (const std::string& line : Sets()) EXPECT_EQ(line.rfind("set 0 ", 0), 0u) << line;
    EXPECT_EQ(Sets().size(), 11u);

    // Reads that fail give an empty text, which matches the unnamed icon; its position
    // was never read, so nothing moves.
    sim.SetOnCall(nullptr);
    sim.ClearLog();
    sim.Items() = {{"A", 0, 0}};
    sim.SetFailRemoteReads(true);
    ByName(restore::kRestoreAnimated);
    EXPECT_TRUE(Sets().empty());
    ExpectReleased();
}

TEST_F(RestoreTest, ByNameAbortMidIconLeavesItAndTheRestUntouched) {
    Save({{"A", 10, 0}, {"B", 10, 0}});
    sim.Items() = {{"A", 0, 0}, {"B", 0, 0}};
    AbortAtSet(3);
    ByName(restore::kRestoreAnimated);
    const Lines expected = {"set 0 0x00000001", "set 0 0x00000002", "set 0 0x00000003"};
    EXPECT_EQ(Sets(), expected);
    EXPECT_EQ(sim.Items()[0].x, 3);
    EXPECT_EQ(sim.CountOf(SimOp::ReadText), 1);  // the walk ends there
    ExpectReleased();
}

TEST_F(RestoreTest, ByNameAbortBetweenIconsKeepsTheFinishedOne) {
    Save({{"A", 3, 0}, {"B", 10, 0}});
    sim.Items() = {{"A", 0, 0}, {"B", 0, 0}};
    AbortAtSet(4);  // A's final exact set
    ByName(restore::kRestoreAnimated);
    EXPECT_EQ(Sets().size(), 4u);
    EXPECT_EQ(sim.Items()[0].x, 3);
    EXPECT_EQ(sim.Items()[1].x, 0);
    ExpectReleased();
}

TEST_F(RestoreTest, ByNameAbortWhilePassingUnmatchedItemsStillStepsTheNextMatch) {
    Save({{"A", 2, 0}, {"B", 0, 10}, {"C", 5, 5}});
    sim.Items() = {{"A", 0, 0}, {"x", 0, 0}, {"y", 0, 0}, {"C", 5, 5}, {"B", 0, 0}, {"A", 0, 0}};
    sim.SetOnCall([this](const desktop::SimCall& call) {
        if (call.op == SimOp::ReadText && call.index == 1) abort = 1;
    });
    ByName(restore::kRestoreAnimated);
    // A finishes; x and y are passed over without a test; C is in place (no message)
    // and is followed by the test, which ends the walk before B.
    const Lines expected = {"set 0 0x00000001", "set 0 0x00000002", "set 0 0x00000002"};
    EXPECT_EQ(Sets(), expected);
    EXPECT_EQ(sim.CountOf(SimOp::ReadText), 4);

    // Without an in-place match in between, the next matched item makes one step.
    sim.SetOnCall(nullptr);
    sim.ClearLog();
    abort = 0;
    sim.Items() = {{"A", 0, 0}, {"x", 0, 0}, {"B", 0, 0}, {"A", 0, 0}};
    sim.SetOnCall([this](const desktop::SimCall& call) {
        if (call.op == SimOp::ReadText && call.index == 1) abort = 1;
    });
    ByName(restore::kRestoreAnimated);
    const Lines oneStep = {"set 0 0x00000001", "set 0 0x00000002", "set 0 0x00000002",
                           "set 2 0x00010000"};
    EXPECT_EQ(Sets(), oneStep);
    EXPECT_EQ(sim.CountOf(SimOp::ReadText), 3);
    ExpectReleased();
}

TEST_F(RestoreTest, ByIndexCountIsTheSmallerOfItemsAndIcons) {
    Save({{"", 1, 1}, {"", 2, 2}, {"", 3, 3}});
    for (int items : {2, 5}) {
        sim.ClearLog();
        sim.Items().assign(items, SimItem{"", 0, 0});
        ByIndex(restore::kRestoreInstant);
        Lines expected = {"set 0 0x00010001", "set 1 0x00020002"};
        if (items > 3) expected.push_back("set 2 0x00030003");
        EXPECT_EQ(Sets(), expected) << items << " items";
        EXPECT_EQ(sim.CountOf(SimOp::OpenShared), 0);  // instant needs no block
        EXPECT_EQ(sim.CountOf(SimOp::ReadPosition), 0);
    }
}

TEST_F(RestoreTest, ByIndexAnimatedOpensTheSharedBlockOnce) {
    Save({{"", 103, 40}, {"", 7, 7}});
    sim.Items() = {{"", 100, 50}, {"", 7, 7}, {"", 0, 0}};
    ByIndex(restore::kRestoreAnimated);
    Lines expected = {"find", "count", "screen", "open shared", "pos 0"};
    expected.insert(expected.end(), kTenSteps.begin(), kTenSteps.end());
    expected.insert(expected.end(), {"pos 1", "close"});
    EXPECT_EQ(sim.LogLines(), expected);
    ExpectReleased();
}

TEST_F(RestoreTest, ByIndexTestsAbortAfterEveryIconEvenInPlace) {
    Save({{"", 7, 7}, {"", 10, 0}});
    sim.Items() = {{"", 7, 7}, {"", 0, 0}};
    sim.SetOnCall([this](const desktop::SimCall& call) {
        if (call.op == SimOp::OpenShared) abort = 1;
    });
    ByIndex(restore::kRestoreAnimated);
    EXPECT_TRUE(Sets().empty());
    EXPECT_EQ(sim.CountOf(SimOp::ReadPosition), 1);

    sim.SetOnCall(nullptr);
    sim.ClearLog();
    abort = 0;
    AbortAtSet(2);
    ByIndex(restore::kRestoreAnimated);
    EXPECT_EQ(Sets(), Lines({"set 1 0x00000001", "set 1 0x00000002"}));
    ExpectReleased();
}

// What a by-name restore reports as placed, for the shell's view object: the items that
// now stand at their saved places, with the texts read from them. Instant: every
// matched item. Animated: only glides that ended on the target. A lost view: nothing.
TEST_F(RestoreTest, ByNameReportsTheItemsItPlaced) {
    using desktop::PlacedIcon;
    using Placed = std::vector<PlacedIcon>;
    Save({{"Recycle Bin", 100, 200}, {"マイ ドキュメント", -20, 35}, {"still", 30, 30}});
    const PlacedIcon docs{0, "マイ ドキュメント", -20, 35};
    const PlacedIcon bin{2, "RECYCLE BIN", 100, 200};
    const PlacedIcon still{3, "Still", 30, 30};
    struct Case {
        const char* what;
        int32_t mode;
        int abortAtSet;  // 0: never
        int lostAt;      // list-view message that goes unanswered; 0: none
        Placed expected;
    } cases[] = {
        {"instant", restore::kRestoreInstant, 0, 0, {docs, bin, still}},
        {"animated: not the one in place", restore::kRestoreAnimated, 0, 0, {docs, bin}},
        {"aborted on the second glide", restore::kRestoreAnimated, 40, 0, {docs}},
        {"aborted at the step that reached the target", restore::kRestoreAnimated, 35, 0, {docs}},
        {"aborted on the first glide", restore::kRestoreAnimated, 34, 0, {}},
        {"instant, view lost at the last set", restore::kRestoreInstant, 0, 13, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim = SimDesktop({{"マイ ドキュメント", 0, 0},  // 35 steps, then the target
                          {"Notes.txt", 7, 7},
                          {"RECYCLE BIN", 5, 5},
                          {"Still", 30, 30}});
        abort = 0;
        if (c.abortAtSet) AbortAtSet(c.abortAtSet);
        sim.SetUnansweredMessage(c.lostAt);
        const Placed placed = restore::RestoreByName(sim, {store, 0, c.mode, abort, speed});
        EXPECT_EQ(placed, c.expected);
    }
}

// A shell that stops answering mid-restore: the restore ends at that message, sends
// nothing after it and releases what it opened, in every variant and mode.
TEST_F(RestoreTest, ViewLostEndsTheRestoreAtThatMessage) {
    Save({{"A", 10, 0}, {"B", 20, 0}, {"C", 30, 0}});
    struct Case {
        const char* what;
        bool byName;
        int32_t mode;
    } cases[] = {
        {"NT instant", true, 0},
        {"NT animated", true, 1},
        {"9x instant", false, 0},
        {"9x animated", false, 1},
    };
    for (const Case& c : cases) {
        const auto run = [&](int lost) {
            sim = SimDesktop({{"A", 0, 0}, {"B", 0, 0}, {"C", 0, 0}});
            sim.SetUnansweredMessage(lost);
            if (c.byName) {
                ByName(c.mode);
            } else {
                ByIndex(c.mode);
            }
        };
        run(0);
        int messages = 0;  // of the whole restore
        for (const auto& call : sim.Log()) {
            messages += call.op == SimOp::CountItems || call.op == SimOp::ReadScreen ||
                        call.op == SimOp::ReadText || call.op == SimOp::ReadPosition ||
                        call.op == SimOp::SetPosition;
        }
        ASSERT_GE(messages, 4) << c.what;
        for (int lost = 1; lost <= messages; ++lost) {
            SCOPED_TRACE(std::string(c.what) + ", message " + std::to_string(lost));
            run(lost);
            EXPECT_TRUE(sim.Lost());
            const Lines log = sim.LogLines();
            ASSERT_FALSE(log.empty());
            size_t i = 0;
            while (i < log.size() && log[i].find("unanswered") == std::string::npos) ++i;
            ASSERT_LT(i, log.size());
            for (++i; i < log.size(); ++i) EXPECT_EQ(log[i], "close");
            ExpectReleased();
        }
    }
}

TEST_F(RestoreTest, EveryEarlyExitMovesNothingAndReleases) {
    Save({{"A", 10, 0}});
    struct Case {
        const char* what;
        bool byName;
        int32_t mode;
        int layout;
        bool noView, failRemote, failShared;
    } cases[] = {
        {"no view, NT", true, 1, 0, true, false, false},
        {"no view, 9x", false, 0, 0, true, false, false},
        {"remote block fails", true, 0, 0, false, true, false},
        {"shared block fails", false, 1, 0, false, false, true},
        {"mode 2, NT", true, 2, 0, false, false, false},
        {"mode -1, NT", true, -1, 0, false, false, false},
        {"mode 2, 9x", false, 2, 0, false, false, false},
        {"no such layout, NT", true, 1, 5, false, false, false},
        {"no such layout, 9x", false, 1, 5, false, false, false},
    };
    for (const Case& c : cases) {
        sim = SimDesktop({{"A", 0, 0}, {"a", 3, 3}});
        sim.SetViewPresent(!c.noView);
        sim.SetFailOpenRemote(c.failRemote);
        sim.SetFailOpenShared(c.failShared);
        if (c.byName) {
            ByName(c.mode, c.layout);
        } else {
            ByIndex(c.mode, c.layout);
        }
        EXPECT_TRUE(Sets().empty()) << c.what;
        EXPECT_EQ(sim.CountOf(SimOp::ReadPosition), 0) << c.what;
        ExpectReleased();
    }
}

}  // namespace

// Icons named alike (extensions hidden, the same shortcut on two desktops): the k-th
// item of a text takes the k-th saved icon of that text; none lands on another's place.
TEST_F(RestoreTest, ByNameSameNamesEachTakeTheirOwnSavedPlace) {
    struct Case {
        const char* what;
        std::vector<SavedIcon> saved;
        std::vector<std::string> desktop;  // every item starts at (500, 500)
        std::vector<std::pair<int32_t, int32_t>> ends;
        Lines instantSets;
    } cases[] = {
        {"two alike",
         {{"予算", 10, 10}, {"予算", 20, 20}},
         {"予算", "予算"},
         {{10, 10}, {20, 20}},
         {"set 0 0x000a000a", "set 1 0x00140014"}},
        {"three alike, two saved: the third keeps its place",
         {{"A", 10, 10}, {"a", 20, 20}},
         {"A", "A", "A"},
         {{10, 10}, {20, 20}, {500, 500}},
         {"set 0 0x000a000a", "set 1 0x00140014"}},
        {"alike but for ASCII case, in item order",
         {{"Readme", 10, 10}, {"README", 20, 20}},
         {"readme", "ReadMe"},
         {{10, 10}, {20, 20}},
         {"set 0 0x000a000a", "set 1 0x00140014"}},
        {"more saved than on the desktop, interleaved with another name",
         {{"A", 1, 1}, {"B", 2, 2}, {"A", 3, 3}, {"A", 4, 4}},
         {"B", "A", "A"},
         {{2, 2}, {1, 1}, {3, 3}},
         {"set 0 0x00020002", "set 1 0x00010001", "set 2 0x00030003"}},
        {"empty texts pair in order too",
         {{"", 5, 5}, {"", 6, 6}},
         {"", "x", ""},
         {{5, 5}, {500, 500}, {6, 6}},
         {"set 0 0x00050005", "set 2 0x00060006"}},
    };
    for (const Case& c : cases) {
        for (const int32_t mode : {restore::kRestoreInstant, restore::kRestoreAnimated}) {
            SCOPED_TRACE(std::string(c.what) + (mode ? ", animated" : ", instant"));
            store.RemoveAll();
            Save(c.saved);
            sim = SimDesktop();
            for (const std::string& text : c.desktop) sim.Items().push_back({text, 500, 500});
            ByName(mode);
            for (size_t i = 0; i < c.ends.size(); ++i) {
                EXPECT_EQ(sim.Items()[i].x, c.ends[i].first) << "item " << i;
                EXPECT_EQ(sim.Items()[i].y, c.ends[i].second) << "item " << i;
            }
            if (mode == restore::kRestoreInstant) {
                EXPECT_EQ(Sets(), c.instantSets);
            }
        }
    }
}

// A position the view refuses (it did not move the item) is not reported as placed, so
// the shell's view object is not told of it.
TEST_F(RestoreTest, ByNameRefusedSetIsNotPlaced) {
    Save({{"A", 10, 10}, {"B", 20, 20}});
    for (const int32_t mode : {restore::kRestoreInstant, restore::kRestoreAnimated}) {
        SCOPED_TRACE(mode);
        sim = SimDesktop({{"A", 0, 0}, {"B", 0, 0}});
        sim.SetRefusedItems({0});
        const auto placed = restore::RestoreByName(sim, {store, 0, mode, abort, speed});
        ASSERT_EQ(placed.size(), 1u);
        EXPECT_EQ(placed[0].index, 1);
        EXPECT_EQ(sim.Items()[0].x, 0);
    }
}

// A place no monitor shows now is sent to the nearest visible one, in both schemes and
// both modes; what is reported placed is the place sent; the stored layout is unchanged.
TEST_F(RestoreTest, PlacesNoMonitorShowsComeOntoTheScreen) {
    Save({{"on", 100, 100}, {"right", 3000, 100}, {"left", -500, 50}, {"edge", 1270, 1000}});
    const std::vector<std::pair<int32_t, int32_t>> ends = {
        {100, 100}, {1280 - 48, 100}, {0, 50}, {1270, 1000}};
    for (const bool byName : {true, false}) {
        for (const int32_t mode : {restore::kRestoreInstant, restore::kRestoreAnimated}) {
            SCOPED_TRACE(std::string(byName ? "NT" : "9x") + (mode ? ", animated" : ", instant"));
            sim = SimDesktop({{"on", 0, 0}, {"right", 0, 0}, {"left", 0, 0}, {"edge", 0, 0}});
            sim.SetScreen({48, 40, {{0, 0, 1280, 1024}}});
            std::vector<desktop::PlacedIcon> placed;
            if (byName)
                placed = restore::RestoreByName(sim, {store, 0, mode, abort, speed});
            else
                ByIndex(mode);
            for (size_t i = 0; i < ends.size(); ++i) {
                EXPECT_EQ(sim.Items()[i].x, ends[i].first) << "item " << i;
                EXPECT_EQ(sim.Items()[i].y, ends[i].second) << "item " << i;
                if (byName) {
                    ASSERT_EQ(placed.size(), ends.size());
                    EXPECT_EQ(placed[i].x, ends[i].first);
                    EXPECT_EQ(placed[i].y, ends[i].second);
                }
            }
            EXPECT_EQ(sim.CountOf(SimOp::ReadScreen), 1);
        }
    }
    int32_t x = 0, y = 0;
    store.GetIconPos(0, 1, x, y);
    EXPECT_EQ(x, 3000);  // only the place sent changed
}

// How far the position messages have come, as the view object's coordinate check reads
// it: item i's number (i + 1) before its first position message, nothing for an item
// left alone, so the items after the last one moved read as untouched when it is over.
TEST_F(RestoreTest, ByNamePublishesHowFarItsPositionMessagesHaveCome) {
    Save({{"a", 1, 1}, {"b", 2, 2}});
    for (const int32_t mode : {restore::kRestoreInstant, restore::kRestoreAnimated}) {
        SCOPED_TRACE(mode);
        sim = SimDesktop({{"a", 0, 0}, {"x", 0, 0}, {"b", 0, 0}, {"y", 0, 0}});
        std::atomic<int32_t> progress{0};
        int wrong = 0, sets = 0;
        sim.SetOnCall([&](const desktop::SimCall& call) {
            if (call.op != SimOp::SetPosition) return;
            ++sets;
            if (progress.load() != call.index + 1) ++wrong;
        });
        restore::RestoreByName(sim, {store, 0, mode, abort, speed, nullptr, &progress});
        EXPECT_GT(sets, 0);
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(progress.load(), 3);
    }
}

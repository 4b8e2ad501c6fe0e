// A restore's whole course against the simulated desktop: one reading, one plan, the
// arrangement before it handed over, the exact position messages, each icon checked
// before it moves, the abort and speed words, snapping and auto arrange switched, the
// view object told what moved, and release on every path.
#include "desktop/restore/restore_logic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/desktop/sim_desktop.h"
#include "store/layout_store.h"

namespace {

using desktop::PlacedIcon;
using desktop::Scheme;
using desktop::SimDesktop;
using desktop::SimItem;
using desktop::SimOp;
using restore::RestoreOutcome;
using Lines = std::vector<std::string>;
using Placed = std::vector<PlacedIcon>;

struct SavedIcon {
    const char* name;
    int32_t x, y;
};

// The dialog and the view object as the restore sees them, recorded.
class RecordingPartners : public restore::Partners {
public:
    void StopShellArranging() override { ++shellStops; }
    bool KeepBefore(const std::vector<desktop::ReadIcon>& icons) override {
        ++kept;
        before = icons;
        if (onKeep) onKeep();
        return !refuse;
    }
    std::vector<std::wstring> ParsingNames(const std::vector<desktop::ReadIcon>&, bool w) override {
        waited = w;
        return paths;
    }
    void Planned(const std::vector<int>& s) override { steady = s; }
    void Placed(std::vector<PlacedIcon> icons) override {
        ++told;
        placed = std::move(icons);
    }

    bool refuse = false;
    std::function<void()> onKeep;
    std::vector<std::wstring> paths;  // what the view object names the icons
    bool waited = false;
    int shellStops = 0, kept = 0, told = 0;
    std::vector<desktop::ReadIcon> before;
    std::vector<int> steady;
    std::vector<PlacedIcon> placed;
};

class RestoreTest : public ::testing::Test {
protected:
    // Layout 0 holds `icons`; no other layout exists.
    void Save(const std::vector<SavedIcon>& icons) {
        store.SetTitle(0, "a");
        for (const SavedIcon& icon : icons) store.AddIconXY(0, icon.x, icon.y, icon.name);
    }

    RestoreOutcome Run(int32_t mode, Scheme scheme, int layout = 0, bool stopArranging = false) {
        partners = RecordingPartners();
        restore::RestoreJob job{store, layout, mode, scheme, abort, speed, stopArranging};
        job.progress = progress;
        return restore::RunRestore(sim, job, partners);
    }
    RestoreOutcome ByName(int32_t mode, int layout = 0) {
        return Run(mode, Scheme::RemoteByName, layout);
    }
    RestoreOutcome ByIndex(int32_t mode, int layout = 0) {
        return Run(mode, Scheme::SharedByIndex, layout);
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
    RecordingPartners partners;
    std::atomic<int32_t> abort{0};
    std::atomic<int32_t> speed{1};
    std::atomic<int32_t>* progress = nullptr;
};

// (100, 50) -> (103, 40) with speed 1: ten steps, then the target once more.
const Lines kTenSteps = {"set 0 0x00310064", "set 0 0x00300064", "set 0 0x002f0064",
                         "set 0 0x002e0065", "set 0 0x002d0065", "set 0 0x002c0065",
                         "set 0 0x002b0066", "set 0 0x002a0066", "set 0 0x00290066",
                         "set 0 0x00280067", "set 0 0x00280067"};

// One reading (as a capture reads), the plan, the arrangement before handed over, then
// per paired icon its text checked and one position message; unpaired items untouched.
TEST_F(RestoreTest, ByNameInstantReadsOnceThenChecksAndSetsEachPairedIcon) {
    Save({{"Recycle Bin", 100, 200}, {"マイ ドキュメント", -20, 35}, {"recycle bin", 1, 1}});
    sim.Items() = {{"マイ ドキュメント", 0, 0}, {"Notes.txt", 7, 7}, {"RECYCLE BIN", 5, 5}};
    abort = 1;  // an instant restore does not look at it
    speed = 50;
    EXPECT_EQ(ByName(restore::kRestoreInstant), RestoreOutcome::kEnded);
    Lines expected = {"find", "exstyle", "open remote", "count"};
    for (int i = 0; i < 3; ++i) {
        const std::string n = std::to_string(i);
        expected.insert(expected.end(), {"count", "text " + n, "count", "pos " + n});
    }
    expected.insert(expected.end(),
                    {"screen",                               //
                     "count", "text 0", "set 0 0x0023ffec",  // (-20, 35)
                     "count", "text 2", "set 2 0x00c80064",  // the first "Recycle Bin"
                     "close"});
    EXPECT_EQ(sim.LogLines(), expected);
    EXPECT_EQ(sim.Items()[1].x, 7);  // no saved place: untouched
    EXPECT_EQ(partners.kept, 1);
    ASSERT_EQ(partners.before.size(), 3u);
    EXPECT_EQ(partners.before[2].name, "RECYCLE BIN");
    EXPECT_EQ(partners.before[2].x, 5);
    EXPECT_EQ(partners.steady, std::vector<int>{1});
    EXPECT_EQ(partners.placed,
              (Placed{{0, "マイ ドキュメント", -20, 35}, {2, "RECYCLE BIN", 100, 200}}));
    ExpectReleased();
}

TEST_F(RestoreTest, AnimatedSendsTheStepSequenceInBothSchemes) {
    Save({{"A", 103, 40}, {"B", 30, 30}});
    for (const Scheme scheme : {Scheme::RemoteByName, Scheme::SharedByIndex}) {
        const bool nt = scheme == Scheme::RemoteByName;
        sim = SimDesktop({{nt ? "a" : "", 100, 50}, {nt ? "b" : "", 30, 30}, {"c", 0, 0}});
        Run(restore::kRestoreAnimated, scheme);
        EXPECT_EQ(Sets(), kTenSteps);  // B is in place: nothing for it
        // The reading's, then the glide's start for each paired icon.
        EXPECT_EQ(sim.CountOf(SimOp::ReadPosition), 3 + 2);
        EXPECT_EQ(sim.Items()[0].x, 103);
        EXPECT_EQ(sim.Items()[0].y, 40);
        EXPECT_EQ(sim.CountOf(SimOp::OpenShared), nt ? 0 : 1);  // one block for both
        ExpectReleased();
    }
}

TEST_F(RestoreTest, ByNameIconsSavedWithoutNamesMoveOnlyUnnamedItems) {
    Save({{"", 10, 10}, {"", 20, 20}});
    sim.Items() = {{"A", 0, 0}, {"", 0, 0}};
    ByName(restore::kRestoreInstant);
    EXPECT_EQ(Sets(), Lines{"set 1 0x000a000a"});
}

// The shell's items may change between the reading and the moves: an item that now reads
// otherwise is skipped (its index may name another icon now), moves off restored icons
// included, and the view object is told only what moved.
TEST_F(RestoreTest, AnItemThatChangedSinceTheReadingIsSkipped) {
    Save({{"A", 10, 0}, {"B", 20, 0}, {"C", 100, 100}});
    sim.SetScreen({50, 40, {{0, 0, 1000, 800}}});
    for (const int32_t mode : {restore::kRestoreInstant, restore::kRestoreAnimated}) {
        SCOPED_TRACE(mode);
        // "new" lies on C's place; A is deleted once the screen has been read, so every
        // item after it moves up one index.
        sim = SimDesktop({{"A", 0, 0}, {"B", 0, 0}, {"C", 500, 500}, {"new", 100, 100}});
        sim.SetScreen({50, 40, {{0, 0, 1000, 800}}});
        sim.SetOnCall([this](const desktop::SimCall& call) {
            if (call.op == SimOp::ReadScreen) sim.Items().erase(sim.Items().begin());
        });
        ByName(mode);
        EXPECT_TRUE(Sets().empty());  // B now at 0, C at 1, new at 2: each read otherwise
        EXPECT_EQ(sim.Items()[2].x, 100);
        EXPECT_TRUE(partners.placed.empty());
        ExpectReleased();
    }
    // Only the first item went: those before it still move, and the view object hears
    // of them alone.
    sim = SimDesktop({{"A", 0, 0}, {"B", 0, 0}, {"x", 0, 0}});
    sim.SetOnCall([this](const desktop::SimCall& call) {
        if (call.op == SimOp::ReadScreen) sim.Items().erase(sim.Items().begin() + 1);
    });
    ByName(restore::kRestoreInstant);
    EXPECT_EQ(Sets(), Lines{"set 0 0x0000000a"});
    EXPECT_EQ(partners.placed, (Placed{{0, "A", 10, 0}}));
}

TEST_F(RestoreTest, ByNameSkipsAnItemWhosePositionCannotBeRead) {
    Save({{"A", 10, 0}, {"B", 20, 0}, {"", 30, 0}});
    sim.Items() = {{"A", 0, 0}, {"B", 0, 0}};
    // B vanishes between its check and its position read.
    sim.SetOnCall([this, reads = 0](const desktop::SimCall& call) mutable {
        if (call.op == SimOp::ReadText && call.index == 1 && ++reads == 2) sim.Items().resize(1);
    });
    ByName(restore::kRestoreAnimated);
    for (const std::string& line : Sets()) EXPECT_EQ(line.rfind("set 0 ", 0), 0u) << line;
    EXPECT_EQ(Sets().size(), 11u);
    ExpectReleased();
}

// A reading that fails moves nothing and ends as a failure the dialog reports.
TEST_F(RestoreTest, AReadingThatFailsMovesNothing) {
    Save({{"A", 10, 0}, {"B", 20, 0}});
    const int messages = 1 + 1 + 2 * 4 + 1;  // style, count, four per icon, spacing
    for (int n = 1; n <= messages; ++n) {
        SCOPED_TRACE(n);
        sim = SimDesktop({{"A", 0, 0}, {"B", 0, 0}});
        sim.SetUnansweredMessage(n);
        EXPECT_EQ(ByName(restore::kRestoreInstant), RestoreOutcome::kReadingFailed);
        EXPECT_TRUE(Sets().empty());
        EXPECT_EQ(partners.kept, 0);
        ExpectReleased();
    }
    sim = SimDesktop({{"A", 0, 0}});
    sim.SetFailOpenRemote(true);
    EXPECT_EQ(ByName(restore::kRestoreInstant), RestoreOutcome::kReadingFailed);
    sim = SimDesktop({{"", 0, 0}});
    sim.SetFailOpenShared(true);
    EXPECT_EQ(ByIndex(restore::kRestoreInstant), RestoreOutcome::kReadingFailed);
    EXPECT_TRUE(Sets().empty());
}

// The arrangement before is handed over only when something moves, and before the first
// position message; refused (the dialog closes), nothing moves.
TEST_F(RestoreTest, TheReadingIsHandedOverBeforeTheFirstMove) {
    Save({{"A", 10, 0}});
    sim.Items() = {{"A", 0, 0}};
    int setsWhenKept = -1;
    for (const Scheme scheme : {Scheme::RemoteByName, Scheme::SharedByIndex}) {
        sim = SimDesktop({{"A", 0, 0}});
        partners.onKeep = nullptr;
        Run(restore::kRestoreInstant, scheme);
        EXPECT_EQ(partners.kept, 1);
        EXPECT_EQ(sim.Items()[0].x, 10);
        Run(restore::kRestoreInstant, scheme);
        EXPECT_EQ(partners.kept, 0) << "nothing moves: the earlier snapshot stays";
    }
    sim = SimDesktop({{"A", 0, 0}});
    restore::RestoreJob job{store, 0,    restore::kRestoreAnimated, Scheme::RemoteByName,
                            abort, speed};
    partners = RecordingPartners();
    partners.onKeep = [&] { setsWhenKept = static_cast<int>(Sets().size()); };
    restore::RunRestore(sim, job, partners);
    EXPECT_EQ(setsWhenKept, 0);

    for (const Scheme scheme : {Scheme::RemoteByName, Scheme::SharedByIndex}) {
        sim = SimDesktop({{"A", 0, 0}});
        partners = RecordingPartners();
        partners.refuse = true;
        restore::RestoreJob refused{store, 0, restore::kRestoreAnimated, scheme, abort, speed};
        EXPECT_EQ(restore::RunRestore(sim, refused, partners), RestoreOutcome::kEnded);
        EXPECT_TRUE(Sets().empty());
        EXPECT_EQ(partners.told, 0);
        ExpectReleased();
    }
}

TEST_F(RestoreTest, ByNameAbortMidIconLeavesItAndTheRestUntouched) {
    Save({{"A", 10, 0}, {"B", 10, 0}});
    sim.Items() = {{"A", 0, 0}, {"B", 0, 0}};
    AbortAtSet(3);
    ByName(restore::kRestoreAnimated);
    const Lines expected = {"set 0 0x00000001", "set 0 0x00000002", "set 0 0x00000003"};
    EXPECT_EQ(Sets(), expected);
    EXPECT_EQ(sim.Items()[0].x, 3);
    EXPECT_EQ(sim.CountOf(SimOp::ReadText), 2 + 1);  // the reading's, then A's check
    ExpectReleased();
}

TEST_F(RestoreTest, AbortBetweenIconsKeepsTheFinishedOne) {
    Save({{"A", 3, 0}, {"B", 10, 0}});
    for (const Scheme scheme : {Scheme::RemoteByName, Scheme::SharedByIndex}) {
        sim = SimDesktop({{"A", 0, 0}, {"B", 0, 0}});
        if (scheme == Scheme::SharedByIndex) sim.Items() = {{"", 0, 0}, {"", 0, 0}};
        abort = 0;
        AbortAtSet(4);  // A's final exact set
        Run(restore::kRestoreAnimated, scheme);
        EXPECT_EQ(Sets().size(), 4u);
        EXPECT_EQ(sim.Items()[0].x, 3);
        EXPECT_EQ(sim.Items()[1].x, 0);
        ExpectReleased();
    }
}

// The abort test follows every paired icon, those already in place included; one that
// comes while an icon is being checked still lets that icon make its first step.
TEST_F(RestoreTest, AbortIsTestedAfterEveryPairedIconEvenInPlace) {
    Save({{"A", 2, 0}, {"C", 5, 5}, {"B", 0, 10}});
    sim.Items() = {{"A", 0, 0}, {"x", 0, 0}, {"C", 5, 5}, {"B", 0, 0}};
    AbortAtSet(3);  // A's last
    ByName(restore::kRestoreAnimated);
    EXPECT_EQ(Sets(), (Lines{"set 0 0x00000001", "set 0 0x00000002", "set 0 0x00000002"}));

    abort = 0;
    sim = SimDesktop({{"A", 0, 0}, {"x", 0, 0}, {"B", 0, 0}});
    sim.SetOnCall([this, reads = 0](const desktop::SimCall& call) mutable {
        if (call.op == SimOp::ReadText && call.index == 2 && ++reads == 2) abort = 1;
    });
    ByName(restore::kRestoreAnimated);
    EXPECT_EQ(Sets(), (Lines{"set 0 0x00000001", "set 0 0x00000002", "set 0 0x00000002",
                             "set 2 0x00010000"}));
    ExpectReleased();
}

TEST_F(RestoreTest, ByIndexCountIsTheSmallerOfItemsAndIcons) {
    Save({{"", 1, 1}, {"", 2, 2}, {"", 3, 3}});
    for (int items : {2, 5}) {
        sim = SimDesktop();
        sim.Items().assign(items, SimItem{"", 0, 0});
        ByIndex(restore::kRestoreInstant);
        Lines expected = {"set 0 0x00010001", "set 1 0x00020002"};
        if (items > 3) expected.push_back("set 2 0x00030003");
        EXPECT_EQ(Sets(), expected) << items << " items";
        EXPECT_EQ(sim.CountOf(SimOp::OpenShared), 1);  // for the reading
        EXPECT_EQ(sim.CountOf(SimOp::ReadPosition), items);
        EXPECT_TRUE(partners.placed.empty());  // no view object on that family
    }
}

// What a by-name restore hands the shell's view object: the items that now stand at
// their places, with the texts read from them. Instant: every paired item. Animated:
// only glides that ended on the target. A lost view: nothing.
TEST_F(RestoreTest, ByNameReportsTheItemsItPlaced) {
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
        // style, count, 16 for the reading, spacing, then count, text, set per icon
        {"instant, view lost at the last set", restore::kRestoreInstant, 0, 28, {}},
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
        ByName(c.mode);
        EXPECT_EQ(partners.placed, c.expected);
        EXPECT_EQ(partners.told, 1);
        if (c.lostAt) {
            EXPECT_EQ(Sets().back(), "set 3 0x001e001e unanswered");
        }
    }
}

// A shell that stops answering mid-restore: the restore ends at that message, sends
// nothing after it but the snapping switched back, and releases what it opened, in both
// schemes and modes.
TEST_F(RestoreTest, ViewLostEndsTheRestoreAtThatMessage) {
    Save({{"A", 10, 0}, {"B", 20, 0}, {"C", 30, 0}});
    for (const Scheme scheme : {Scheme::RemoteByName, Scheme::SharedByIndex}) {
        for (const int32_t mode : {restore::kRestoreInstant, restore::kRestoreAnimated}) {
            for (const bool snaps : {false, true}) {
                const auto run = [&](int lost) {
                    sim = SimDesktop({{"A", 0, 0}, {"B", 0, 0}, {"C", 0, 0}});
                    if (snaps) sim.SetExtendedStyle(desktop::kSnapToGrid);
                    sim.SetUnansweredMessage(lost);
                    Run(mode, scheme);
                };
                run(0);
                int messages = 0;  // of the whole restore, the switch back excepted
                for (const auto& call : sim.Log())
                    messages += call.op != SimOp::FindView && call.op != SimOp::OpenRemote &&
                                call.op != SimOp::OpenShared && call.op != SimOp::CloseContext;
                messages -= snaps ? 1 : 0;
                ASSERT_GE(messages, 4);
                for (int lost = 1; lost <= messages; ++lost) {
                    SCOPED_TRACE(std::to_string(static_cast<int>(scheme)) + " mode " +
                                 std::to_string(mode) + (snaps ? " snaps" : "") + ", message " +
                                 std::to_string(lost));
                    run(lost);
                    EXPECT_TRUE(sim.Lost());
                    const Lines log = sim.LogLines();
                    size_t i = 0;
                    while (i < log.size() && log[i].find("unanswered") == std::string::npos) ++i;
                    ASSERT_LT(i, log.size());
                    const bool switched = snaps && lost > 1;
                    for (++i; i < log.size(); ++i)
                        EXPECT_TRUE(log[i] == "close" ||
                                    (switched && log[i] == "exstyle 0x00080000 0x00080000"))
                            << log[i];
                    if (switched) {
                        EXPECT_EQ(sim.ExtendedStyle(), desktop::kSnapToGrid);
                        EXPECT_EQ(sim.CountOf(SimOp::SetExStyle), 2);
                    }
                    EXPECT_TRUE(partners.placed.empty());
                    ExpectReleased();
                }
            }
        }
    }
}

TEST_F(RestoreTest, EveryEarlyExitMovesNothingAndReleases) {
    Save({{"A", 10, 0}});
    struct Case {
        const char* what;
        Scheme scheme;
        int32_t mode;
        int layout;
        bool noView;
    } cases[] = {
        {"no view, NT", Scheme::RemoteByName, 1, 0, true},
        {"no view, 9x", Scheme::SharedByIndex, 0, 0, true},
        {"mode 2, NT", Scheme::RemoteByName, 2, 0, false},
        {"mode -1, NT", Scheme::RemoteByName, -1, 0, false},
        {"mode 2, 9x", Scheme::SharedByIndex, 2, 0, false},
        {"no such layout, NT", Scheme::RemoteByName, 1, 5, false},
        {"no such layout, 9x", Scheme::SharedByIndex, 1, 5, false},
    };
    for (const Case& c : cases) {
        sim = SimDesktop({{"A", 0, 0}, {"a", 3, 3}});
        sim.SetViewPresent(!c.noView);
        EXPECT_EQ(Run(c.mode, c.scheme, c.layout), RestoreOutcome::kEnded) << c.what;
        EXPECT_TRUE(Sets().empty()) << c.what;
        EXPECT_EQ(partners.kept, 0) << c.what;
        ExpectReleased();
    }
}

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
        ByName(mode);
        ASSERT_EQ(partners.placed.size(), 1u);
        EXPECT_EQ(partners.placed[0].index, 1);
        EXPECT_EQ(sim.Items()[0].x, 0);
    }
}

// A place no monitor shows now is sent to the nearest visible one, in both schemes and
// both modes; what is reported placed is the place sent; the stored layout is unchanged.
TEST_F(RestoreTest, PlacesNoMonitorShowsComeOntoTheScreen) {
    Save({{"on", 100, 100}, {"right", 3000, 100}, {"left", -500, 50}, {"edge", 1270, 1000}});
    const std::vector<std::pair<int32_t, int32_t>> ends = {
        {100, 100}, {1280 - 48, 100}, {0, 50}, {1270, 1000}};
    for (const Scheme scheme : {Scheme::RemoteByName, Scheme::SharedByIndex}) {
        for (const int32_t mode : {restore::kRestoreInstant, restore::kRestoreAnimated}) {
            const bool nt = scheme == Scheme::RemoteByName;
            SCOPED_TRACE(std::string(nt ? "NT" : "9x") + (mode ? ", animated" : ", instant"));
            sim = SimDesktop({{"on", 0, 0}, {"right", 0, 0}, {"left", 0, 0}, {"edge", 0, 0}});
            if (!nt)
                for (SimItem& item : sim.Items()) item.text.clear();
            sim.SetScreen({48, 40, {{0, 0, 1280, 1024}}});
            Run(mode, scheme);
            for (size_t i = 0; i < ends.size(); ++i) {
                EXPECT_EQ(sim.Items()[i].x, ends[i].first) << "item " << i;
                EXPECT_EQ(sim.Items()[i].y, ends[i].second) << "item " << i;
                if (nt) {
                    ASSERT_EQ(partners.placed.size(), ends.size());
                    EXPECT_EQ(partners.placed[i].x, ends[i].first);
                    EXPECT_EQ(partners.placed[i].y, ends[i].second);
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
// it: item i's number (i + 1) before its first position message (its check included),
// nothing for an item left alone; the item count before the moves off restored icons.
TEST_F(RestoreTest, ByNamePublishesHowFarItsPositionMessagesHaveCome) {
    Save({{"a", 1, 1}, {"b", 2, 2}});
    for (const int32_t mode : {restore::kRestoreInstant, restore::kRestoreAnimated}) {
        SCOPED_TRACE(mode);
        sim = SimDesktop({{"a", 0, 0}, {"x", 0, 0}, {"b", 0, 0}, {"y", 0, 0}});
        std::atomic<int32_t> published{0};
        progress = &published;
        int wrong = 0, sets = 0;
        sim.SetOnCall([&](const desktop::SimCall& call) {
            if (call.op != SimOp::SetPosition) return;
            ++sets;
            if (published.load() != call.index + 1) ++wrong;
        });
        ByName(mode);
        EXPECT_GT(sets, 0);
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(published.load(), 3);
        progress = nullptr;
    }
}

// Icons the layout does not know are moved off restored ones after the restore's own
// messages, one message each, in either mode and scheme, and the view object hears of
// them; after an abort only those under restored icons that are home.
TEST_F(RestoreTest, IconsUnderRestoredOnesAreMovedOff) {
    Save({{"a", 100, 100}, {"b", 300, 100}});
    const desktop::Screen screen{50, 40, {{0, 0, 1000, 800}}};
    speed = 1000;
    for (const Scheme scheme : {Scheme::RemoteByName, Scheme::SharedByIndex}) {
        for (const int32_t mode : {restore::kRestoreInstant, restore::kRestoreAnimated}) {
            SCOPED_TRACE(std::to_string(mode) + (scheme == Scheme::RemoteByName ? " NT" : " 9x"));
            const bool nt = scheme == Scheme::RemoteByName;
            sim = SimDesktop({{nt ? "a" : "", 0, 0}, {nt ? "b" : "", 0, 0}, {"new", 100, 100}});
            sim.SetScreen(screen);
            Run(mode, scheme);
            EXPECT_EQ(Sets().back(), "set 2 0x003c0064");
            EXPECT_EQ(sim.Items()[2].y, 60);
            if (nt) {
                EXPECT_EQ(partners.placed,
                          (Placed{{0, "a", 100, 100}, {1, "b", 300, 100}, {2, "new", 100, 60}}));
            }
        }
    }
    // Aborted on b's glide: a is home, so the icon under it still moves; the one under b
    // (which never got there) stays.
    sim = SimDesktop({{"a", 0, 0}, {"b", 0, 0}, {"new", 100, 100}, {"new2", 300, 100}});
    sim.SetScreen(screen);
    speed = 1;
    abort = 0;
    sim.SetOnCall([this](const desktop::SimCall& call) {
        if (call.op == SimOp::SetPosition && call.index == 1) abort = 1;
    });
    ByName(restore::kRestoreAnimated);
    EXPECT_EQ(sim.Items()[2].y, 60);
    EXPECT_EQ(sim.Items()[3].x, 300);
    EXPECT_EQ(sim.Items()[3].y, 100);
    // An icon already home counts too, although the abort came before it was reached.
    sim = SimDesktop({{"b", 0, 0}, {"a", 100, 100}, {"new", 100, 100}});
    sim.SetScreen(screen);
    abort = 0;
    AbortAtSet(1);
    ByName(restore::kRestoreAnimated);
    EXPECT_EQ(sim.Items()[2].y, 60);
}

// A desktop that snaps to its grid is switched off before the first position message and
// on again after the last (and after the view object was told); one that does not snap
// is never switched.
TEST_F(RestoreTest, SnappingIsSwitchedOffForTheMoves) {
    Save({{"A", 10, 0}});
    for (const Scheme scheme : {Scheme::RemoteByName, Scheme::SharedByIndex}) {
        for (const int32_t mode : {restore::kRestoreInstant, restore::kRestoreAnimated}) {
            sim = SimDesktop({{scheme == Scheme::RemoteByName ? "A" : "", 0, 0}});
            sim.SetExtendedStyle(desktop::kSnapToGrid | 0x4);
            uint32_t whenTold = 0;
            sim.SetOnCall([&](const desktop::SimCall& call) {
                if (call.op == SimOp::SetPosition) whenTold = sim.ExtendedStyle();
            });
            Run(mode, scheme);
            EXPECT_EQ(whenTold, 0x4u) << "moved while snapping";
            const Lines log = sim.LogLines();
            EXPECT_EQ(log[1], "exstyle");
            EXPECT_EQ(log[2], "exstyle 0x00080000 0x00000000");
            EXPECT_EQ(log[3], "exstyle");
            EXPECT_EQ(log[log.size() - 2], "exstyle 0x00080000 0x00080000");
            EXPECT_EQ(sim.ExtendedStyle(), desktop::kSnapToGrid | 0x4);

            sim = SimDesktop({{"A", 0, 0}});
            sim.SetExtendedStyle(0x4);
            Run(mode, scheme);
            EXPECT_EQ(sim.CountOf(SimOp::SetExStyle), 0);
        }
    }
    // Aborted, and on an early end after the switch (the dialog refused the reading):
    // switched back all the same.
    sim = SimDesktop({{"A", 0, 0}});
    sim.SetExtendedStyle(desktop::kSnapToGrid);
    AbortAtSet(1);
    ByName(restore::kRestoreAnimated);
    EXPECT_EQ(sim.ExtendedStyle(), desktop::kSnapToGrid);
    abort = 0;
    sim = SimDesktop({{"A", 0, 0}});
    sim.SetExtendedStyle(desktop::kSnapToGrid);
    partners = RecordingPartners();
    partners.refuse = true;
    restore::RestoreJob job{store, 0, restore::kRestoreInstant, Scheme::RemoteByName, abort, speed};
    restore::RunRestore(sim, job, partners);
    EXPECT_TRUE(Sets().empty());
    EXPECT_EQ(sim.ExtendedStyle(), desktop::kSnapToGrid);
}

// A desktop whose snapping will not switch off: an icon within half the spacing of its
// place counts as home when deciding whether to keep the arrangement before.
TEST_F(RestoreTest, ASnappingThatWillNotSwitchOffKeepsTheEarlierSnapshot) {
    Save({{"A", 100, 100}});
    for (const bool sticky : {false, true}) {
        sim = SimDesktop({{"A", 110, 95}});
        sim.SetScreen({50, 40, {{0, 0, 1000, 800}}});
        sim.SetExtendedStyle(desktop::kSnapToGrid, sticky ? desktop::kSnapToGrid : 0);
        ByName(restore::kRestoreInstant);
        EXPECT_EQ(partners.kept, sticky ? 0 : 1) << sticky;
        EXPECT_EQ(Sets().size(), 1u);  // an instant restore still sends its place
    }
}

// Auto arrange, taken off once the user agreed: the shell's own setting first, then the
// list view's; a desktop that goes on arranging moves nothing and says so.
TEST_F(RestoreTest, AutoArrangeIsTakenOffWhenTheUserAgreed) {
    Save({{"A", 10, 0}});
    for (const Scheme scheme : {Scheme::RemoteByName, Scheme::SharedByIndex}) {
        sim = SimDesktop({{scheme == Scheme::RemoteByName ? "A" : "", 0, 0}});
        sim.SetArranging(true);
        EXPECT_EQ(Run(restore::kRestoreInstant, scheme, 0, true), RestoreOutcome::kEnded);
        EXPECT_EQ(partners.shellStops, 1);
        EXPECT_EQ(sim.LogLines()[1], "exstyle");
        EXPECT_EQ(sim.LogLines()[2], "stop arranging");
        EXPECT_FALSE(sim.Arranging());
        EXPECT_EQ(sim.Items()[0].x, 10);

        sim = SimDesktop({{"A", 0, 0}});
        sim.SetArranging(true, true);
        EXPECT_EQ(Run(restore::kRestoreInstant, scheme, 0, true), RestoreOutcome::kStillArranges);
        EXPECT_TRUE(Sets().empty());
        EXPECT_EQ(partners.kept, 0);
        ExpectReleased();
    }
    // A shell whose own setting took it off already: the list view is left alone.
    sim = SimDesktop({{"A", 0, 0}});
    EXPECT_EQ(Run(restore::kRestoreInstant, Scheme::RemoteByName, 0, true), RestoreOutcome::kEnded);
    EXPECT_EQ(sim.CountOf(SimOp::StopArranging), 0);
}

}  // namespace

// The plan of a restore worked out from one reading: the nearest free place on the
// grid (its ring order and where it stops), which icons the restore does not pair are
// moved off restored ones and where to, and the messages of the reading and the moves.
#include "desktop/restore/restore_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop/restore/free_place.h"
#include "fakes/desktop/sim_desktop.h"
#include "store/layout_store.h"

namespace {

using desktop::Area;
using desktop::Scheme;
using desktop::Screen;
using desktop::SimDesktop;
using restore::FreePlaces;
using restore::Place;
using Lines = std::vector<std::string>;

// Icons 50 x 40; one 1000 x 800 monitor.
const Screen kScreen{50, 40, {{0, 0, 1000, 800}}};

std::string Str(std::optional<Place> p) {
    return p ? std::to_string(p->x) + "," + std::to_string(p->y) : "stays";
}

// Ring 1 around (100, 100): above and below are 40 away, left and right 50, the corners
// 64. Blocking places one by one walks the fixed order.
TEST(FreePlaces, RingOrderAndWhereTheSearchStops) {
    struct Case {
        const char* what;
        Screen screen;
        std::vector<Place> others;  // pinned boxes besides the one at the icon's place
        const char* found;
    } cases[] = {
        {"above first", kScreen, {}, "100,60"},
        {"then below (nearer than the sides)", kScreen, {{100, 60}}, "100,140"},
        {"then left", kScreen, {{100, 60}, {100, 140}}, "50,100"},
        {"then right", kScreen, {{100, 60}, {100, 140}, {50, 100}}, "150,100"},
        {"then the corners: above left first",
         kScreen,
         {{100, 60}, {100, 140}, {50, 100}, {150, 100}},
         "50,60"},
        {"a box overlapping a candidate by one pixel blocks it", kScreen, {{149, 60}}, "100,140"},
        {"a box touching a candidate does not", kScreen, {{150, 60}}, "100,60"},
        {"a candidate reaching off the screen is skipped",
         Screen{50, 40, {{0, 70, 1000, 800}}},
         {},
         "100,140"},
        {"at the top-left corner it goes right or down",
         Screen{50, 40, {{100, 100, 1000, 800}}},
         {},
         "100,140"},
        {"a screen full of boxes: stays",
         Screen{50, 40, {{50, 60, 200, 180}}},
         {{50, 60}, {100, 60}, {150, 60}, {50, 100}, {150, 100}, {50, 140}, {100, 140}, {150, 140}},
         "stays"},
        {"no icon size: nothing overlaps", Screen{0, 0, {{0, 0, 1000, 800}}}, {}, "stays"},
        {"no area known: stays", Screen{50, 40, {}}, {}, "stays"},
    };
    for (const Case& c : cases) {
        FreePlaces boxes(c.screen, 16);
        boxes.Add({100, 100}, true);
        const int icon = boxes.Add({100, 100}, false);
        for (Place p : c.others) boxes.Add(p, true);
        EXPECT_EQ(Str(boxes.Nearest(icon)), c.found) << c.what;
    }
}

// On a crowded screen the search goes as many rings out as it takes, past a gap between
// two monitors, and ends only once its square holds every visible area; a grid found
// full is full for the next icon on it too, while one on another grid still finds room.
TEST(FreePlaces, SearchesOutwardUntilItHoldsTheWholeScreen) {
    FreePlaces boxes(kScreen, 401);
    for (int y = 0; y + 40 <= 800; y += 40)
        for (int x = 0; x + 50 <= 1000; x += 50)
            if (!(x == 950 && y == 760)) boxes.Add({x, y}, true);
    const int icon = boxes.Add({0, 0}, false);
    EXPECT_EQ(Str(boxes.Nearest(icon)), "950,760");  // the one hole, 19 rings out
    boxes.MoveTo(icon, {950, 760});
    const int other = boxes.Add({500, 400}, false);
    EXPECT_EQ(Str(boxes.Nearest(other)), "stays");                     // no hole left
    EXPECT_EQ(Str(boxes.Nearest(boxes.Add({0, 0}, false))), "stays");  // the same grid
    EXPECT_EQ(Str(boxes.Nearest(boxes.Add({5, 0}, false))), "stays");  // no room on its grid

    FreePlaces far(kScreen, 2);
    far.Add({5000, 5000}, true);
    EXPECT_EQ(Str(far.Nearest(far.Add({5000, 5000}, false))), "950,760");

    // Two monitors with a gap between them (a taskbar, or monitors apart): the first full.
    const Screen two{50, 40, {{0, 0, 200, 160}, {400, 0, 600, 160}}};
    FreePlaces gap(two, 32);
    for (int y = 0; y < 160; y += 40)
        for (int x = 0; x < 200; x += 50) gap.Add({x, y}, true);
    EXPECT_EQ(Str(gap.Nearest(gap.Add({150, 80}, false))), "400,80");
}

struct Icon {
    const char* name;
    int32_t x, y;
};

restore::Before Reading(const std::vector<Icon>& icons, const Screen& screen = kScreen) {
    restore::Before before;
    for (const Icon& i : icons) before.icons.push_back({i.name, i.x, i.y});
    before.screen = screen;
    return before;
}

std::string Moves(const restore::Plan& plan) {
    std::string s;
    for (const restore::UnburiedIcon& p : plan.unburied)
        s += (s.empty() ? "" : " ") + std::to_string(p.index) + ":" + p.text + "@" +
             std::to_string(p.to.x) + "," + std::to_string(p.to.y);
    return s;
}

// A layout "a" at (100, 100), "b" at (300, 100), "edge" at the screen's right edge, "c"
// over "a"; the desktop's icons, and what the plan moves (index:text@place).
TEST(PlanRestore, TableOfDesktops) {
    CLayoutStore store;
    store.SetTitle(0, "home");
    store.AddIconXY(0, 100, 100, "a");
    store.AddIconXY(0, 300, 100, "b");
    store.AddIconXY(0, 950, 0, "edge");
    store.AddIconXY(0, 110, 110, "c");  // overlaps "a"
    struct Case {
        const char* what;
        std::vector<Icon> desktop;
        const char* moves;
    } cases[] = {
        {"a new icon exactly on a saved place", {{"a", 0, 0}, {"new", 100, 100}}, "1:new@100,60"},
        {"overlapping it by a few pixels", {{"a", 0, 0}, {"new", 147, 137}}, "1:new@147,177"},
        {"near but not overlapping", {{"a", 0, 0}, {"new", 150, 140}}, ""},
        {"only touching its box", {{"a", 0, 0}, {"new", 100, 140}}, ""},
        {"two new icons on one saved place: both moved, apart",
         {{"a", 0, 0}, {"new", 100, 100}, {"new2", 100, 100}},
         "1:new@100,60 2:new2@100,140"},
        {"at the screen's edge it stays on the screen",
         {{"edge", 0, 400}, {"new", 950, 0}},
         "1:new@950,40"},
        {"new icons overlapping only each other stay", {{"x", 500, 500}, {"y", 510, 510}}, ""},
        {"an icon beyond the saved ones of its name is moved too",
         {{"a", 0, 0}, {"A", 100, 100}},
         "1:A@100,60"},
        {"saved places that overlap: both take them, nothing moves",
         {{"a", 0, 0}, {"c", 0, 0}},
         ""},
        {"an unpaired icon that stays is avoided too",
         {{"a", 0, 0}, {"b", 0, 0}, {"n1", 100, 100}, {"n2", 300, 100}, {"n3", 100, 60}},
         "2:n1@100,140 3:n2@300,60"},
    };
    for (const Case& c : cases) {
        const restore::Plan plan =
            restore::PlanRestore(store, 0, Scheme::RemoteByName, Reading(c.desktop));
        EXPECT_EQ(Moves(plan), c.moves) << c.what;
    }
}

// By index (the 9x family): icons beyond the layout's count are the unpaired ones.
TEST(PlanRestore, ByIndexMovesIconsBeyondTheLayout) {
    CLayoutStore store;
    store.SetTitle(0, "home");
    store.AddIconXY(0, 100, 100, "");
    store.AddIconXY(0, 300, 100, "");
    const restore::Plan plan = restore::PlanRestore(
        store, 0, Scheme::SharedByIndex,
        Reading({{"", 0, 0}, {"", 0, 0}, {"", 100, 100}, {"", 320, 120}, {"", 600, 600}}));
    EXPECT_EQ(Moves(plan), "2:@100,60 3:@320,160");
    EXPECT_TRUE(plan.movesAny);
}

// Whether the restore moves anything decides whether a snapshot is kept.
TEST(PlanRestore, MovesAnyOnlyWhenSomethingMoves) {
    CLayoutStore store;
    store.SetTitle(0, "home");
    store.AddIconXY(0, 100, 100, "a");
    store.AddIconXY(0, 5000, 100, "far");  // sent to (950, 100)
    struct Case {
        const char* what;
        std::vector<Icon> desktop;
        bool moves;
    } cases[] = {
        {"every icon home, a new one elsewhere", {{"a", 100, 100}, {"new", 400, 400}}, false},
        {"a saved place no monitor shows, icon where it is sent", {{"far", 950, 100}}, false},
        {"a saved place no monitor shows, icon where it was saved", {{"far", 5000, 100}}, true},
        {"one icon off its place", {{"a", 100, 101}}, true},
        {"only a new icon to move", {{"a", 100, 100}, {"new", 120, 100}}, true},
        {"an empty desktop", {}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(restore::PlanRestore(store, 0, Scheme::RemoteByName, Reading(c.desktop)).movesAny,
                  c.moves)
            << c.what;
}

// The reading is a capture's, then the spacing; a view that stops answering gives none.
TEST(ReadBefore, ReadsLikeACaptureThenTheSpacing) {
    const auto read = [](SimDesktop& sim, Scheme scheme) {
        const desktop::ViewId view = sim.FindView();
        const auto ctx =
            scheme == Scheme::RemoteByName ? sim.OpenRemote(view) : sim.OpenShared(view);
        return restore::ReadBefore(sim, view, *ctx, scheme);
    };
    SimDesktop sim({{"a", 1, 2}, {"b", 3, 4}});
    sim.SetScreen(kScreen);
    const std::optional<restore::Before> before = read(sim, Scheme::RemoteByName);
    ASSERT_TRUE(before);
    ASSERT_EQ(before->icons.size(), 2u);
    EXPECT_EQ(before->icons[1].name, "b");
    EXPECT_EQ(before->icons[1].x, 3);
    EXPECT_EQ(before->screen.iconCx, 50);
    EXPECT_EQ(sim.LogLines(),
              (Lines{"find", "open remote", "count", "count", "text 0", "count", "pos 0", "count",
                     "text 1", "count", "pos 1", "screen", "close"}));

    SimDesktop shared({{"a", 1, 2}});
    ASSERT_TRUE(read(shared, Scheme::SharedByIndex));
    EXPECT_EQ(shared.LogLines(),
              (Lines{"find", "open shared", "count", "pos 0", "screen", "close"}));

    for (int n = 1; n <= 10; ++n) {  // the ten list-view messages
        SimDesktop hung({{"a", 1, 2}, {"b", 3, 4}});
        hung.SetUnansweredMessage(n);
        EXPECT_FALSE(read(hung, Scheme::RemoteByName)) << "message " << n;
        EXPECT_EQ(hung.OpenContexts(), 0);
    }
}

// What the plan says besides the moves: the pairs in item order with their places, the
// restored icons each moved one lies under, and the items it never moves.
TEST(PlanRestore, PairsTargetsAndSteadyItems) {
    CLayoutStore store;
    store.SetTitle(0, "home");
    store.AddIconXY(0, 100, 100, "a");
    store.AddIconXY(0, 300, 100, "b");
    const restore::Plan plan = restore::PlanRestore(
        store, 0, Scheme::RemoteByName,
        Reading({{"x", 700, 700}, {"b", 300, 100}, {"new", 110, 100}, {"a", 0, 0}}));
    ASSERT_EQ(plan.paired.size(), 2u);
    EXPECT_EQ(plan.paired[0].index, 1);
    EXPECT_EQ(plan.paired[1].index, 3);
    EXPECT_EQ(plan.paired[1].text, "a");
    EXPECT_EQ(plan.paired[1].target.x, 100);
    ASSERT_EQ(plan.unburied.size(), 1u);
    EXPECT_EQ(plan.unburied[0].under, std::vector<int>{3});
    EXPECT_EQ(plan.steady, (std::vector<int>{0, 1}));  // "x" unpaired, "b" home
}

// On a desktop that snaps and could not be switched, an icon within half the spacing of
// its target counts as home for keeping a snapshot; everywhere else only an exact match.
TEST(PlanRestore, NearCountsAsHomeOnlyWhereAskedFor) {
    CLayoutStore store;
    store.SetTitle(0, "home");
    store.AddIconXY(0, 100, 100, "a");
    struct Case {
        Icon icon;
        bool nearIsHome, moves;
    } cases[] = {
        {{"a", 125, 120}, true, false},
        {{"a", 126, 100}, true, true},
        {{"a", 100, 121}, true, true},
        {{"a", 101, 100}, false, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            restore::PlanRestore(store, 0, Scheme::RemoteByName, Reading({c.icon}), c.nearIsHome)
                .movesAny,
            c.moves)
            << c.icon.x << "," << c.icon.y << " near " << c.nearIsHome;
}

}  // namespace

namespace {

// Icons told apart by what they are: the shell's parsing name pairs first (ordinal,
// ignoring case), each saved place at most once; the icons left pair by name as before
// (the k-th of a name with the k-th saved place of that name not yet taken).
TEST(PlanRestore, PairsByParsingNameFirst) {
    CLayoutStore store;
    store.SetTitle(0, "home");
    store.AddIconXY(0, 10, 10, "予算");
    store.SetIconPath(0, 0, L"C:\\Users\\u\\Desktop\\予算.xlsx");
    store.AddIconXY(0, 20, 20, "予算");
    store.SetIconPath(0, 1, L"C:\\Users\\u\\Desktop\\予算.pdf");
    store.AddIconXY(0, 30, 30, "x");
    struct Seen {
        const char* name;
        const wchar_t* path;
    };
    struct Case {
        const char* what;
        std::vector<Seen> desktop;
        std::vector<int> targetsX;  // -1: unpaired
    } cases[] = {
        {"the shell's order changed",
         {{"予算", L"C:\\Users\\u\\Desktop\\予算.pdf"},
          {"予算", L"C:\\Users\\u\\Desktop\\予算.xlsx"}},
         {20, 10}},
        {"compared ignoring case",
         {{"予算", L"c:\\USERS\\u\\desktop\\予算.PDF"}, {"予算", L""}},
         {20, 10}},
        {"no paths read: by name, in order", {{"予算", L""}, {"予算", L""}}, {10, 20}},
        {"a new file of that name takes the place left",
         {{"予算", L"C:\\Users\\u\\Desktop\\予算.txt"},
          {"予算", L"C:\\Users\\u\\Desktop\\予算.xlsx"}},
         {20, 10}},
        {"one path twice: the second goes by name",
         {{"予算", L"C:\\Users\\u\\Desktop\\予算.pdf"},
          {"予算", L"C:\\Users\\u\\Desktop\\予算.pdf"}},
         {20, 10}},
        {"names the code page cannot tell apart",
         {{"x", L"C:\\a\\x"}, {"?", L"C:\\Users\\u\\Desktop\\予算.pdf"}},
         {30, 20}},
    };
    for (const Case& c : cases) {
        restore::Before before;
        before.screen = kScreen;
        for (const Seen& s : c.desktop) before.icons.push_back({s.name, 500, 500, s.path});
        const restore::Plan plan = restore::PlanRestore(store, 0, Scheme::RemoteByName, before);
        std::vector<int> xs(c.desktop.size(), -1);
        for (const restore::PairedIcon& p : plan.paired)
            xs[static_cast<size_t>(p.index)] = p.target.x;
        EXPECT_EQ(xs, c.targetsX) << c.what;
    }
}

}  // namespace

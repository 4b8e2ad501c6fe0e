// A restore can be taken back and buries no icon, end to end: the real TORVINEL.EXE
// keeps the arrangement before each restore as the line "（復元前の配置）", restoring
// that line goes back and forth, and an icon the layout does not know is moved off a
// restored icon's place to the nearest free one.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "store/layout_store.h"
#include "tests/e2e/harness/app.h"
#include "tests/e2e/harness/buttons.h"
#include "tests/e2e/harness/fixture.h"
#include "tests/e2e/harness/grids.h"
#include "tests/e2e/harness/registry.h"
#include "tests/e2e/harness/waits.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "ui/resource.h"

namespace {

using e2e::Buttons;
using e2e::kSnapshotTitle;
using e2e::SeedIcon;
using e2e::SeedLayout;
using testdesk::TestDesktop;
using testdesk::TestItem;
using Lines = std::vector<std::wstring>;

struct Pos {
    int x, y;
    bool operator==(const Pos& o) const { return x == o.x && y == o.y; }
};
void PrintTo(const Pos& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

std::vector<Pos> Places(const std::vector<TestItem>& items) {
    std::vector<Pos> places;
    for (const TestItem& i : items) places.push_back({i.x, i.y});
    return places;
}

class SnapshotE2E : public e2e::DesktopFixture {
protected:
    // Selects `line`, presses `button` and waits until the dialog is idle again with a
    // line selected (a restore that moves nothing sends no message to wait for).
    void Restore(const e2e::RunningApp& app, int line, int button) const {
        td->ClearSetPositionLog();
        app.Select(line);
        driver::ClickButton(app.main(), button);
        e2e::WaitFor([&] { return !td->SetPositionLog().empty(); }, 3000);
        ASSERT_TRUE(e2e::WaitForButtons(app.main(), Buttons::kLineSelected, 60000));
    }

    // Moves the icons as the user would drag them (not saved anywhere).
    void Arrange(const std::vector<Pos>& places) const {
        for (size_t i = 0; i < places.size(); ++i)
            SendMessageA(td->ListView(), LVM_SETITEMPOSITION, i,
                         MAKELPARAM(places[i].x, places[i].y));
        ASSERT_EQ(Places(td->Items()), places);
    }

    Pos Spacing() const {
        const DWORD s = static_cast<DWORD>(SendMessageA(td->ListView(), LVM_GETITEMSPACING, 0, 0));
        return {LOWORD(s), HIWORD(s)};
    }
};

const std::vector<TestItem> kDesktop = {{200, 300, "a"}, {400, 300, "b"}, {600, 300, "c"}};
const std::vector<Pos> kByHand = {{200, 300}, {400, 300}, {600, 300}};
const std::vector<Pos> kHome = {{100, 100}, {300, 100}, {500, 100}};
const SeedLayout kHomeLayout = {
    L"home",
    {{PackIconPos(100, 100), L"a"}, {PackIconPos(300, 100), L"b"}, {PackIconPos(500, 100), L"c"}}};
const SeedLayout kOther = e2e::OtherLayout();

// Restore, take it back, go forth again, in either mode; a restore that moves nothing
// keeps the snapshot; the snapshot is saved and listed at the next start.
TEST_F(SnapshotE2E, RestoreTakenBackAndForth) {
    for (const int button : {IDC_RESTORE, IDC_FUN_RESTORE}) {
        SCOPED_TRACE(button == IDC_RESTORE ? "instant" : "enjoyable");
        e2e::SeedLayouts({kHomeLayout, kOther});
        ASSERT_NO_FATAL_FAILURE(StartDesktop(kDesktop));
        {
            e2e::RunningApp app;
            ASSERT_TRUE(app.main());
            ASSERT_NO_FATAL_FAILURE(Restore(app, 0, button));
            EXPECT_EQ(app.Lines(), (Lines{L"home", L"other", kSnapshotTitle}));
            EXPECT_EQ(app.Selection(), 0);
            EXPECT_EQ(Places(td->Items()), kHome);

            ASSERT_NO_FATAL_FAILURE(Restore(app, 2, button));  // taken back
            EXPECT_EQ(Places(td->Items()), kByHand);
            EXPECT_EQ(app.Lines(), (Lines{L"home", L"other", kSnapshotTitle}));
            EXPECT_EQ(app.Selection(), 2);

            ASSERT_NO_FATAL_FAILURE(Restore(app, 2, button));  // and forth
            EXPECT_EQ(Places(td->Items()), kHome);
            EXPECT_EQ(app.Selection(), 2);

            // Moves nothing (an instant restore still sends each icon its place).
            ASSERT_NO_FATAL_FAILURE(Restore(app, 0, button));
            EXPECT_EQ(Places(td->Items()), kHome);
            EXPECT_EQ(app.Lines(), (Lines{L"home", L"other", kSnapshotTitle}));
            EXPECT_TRUE(app.Close());
        }
        // The snapshot kept is the one from before the last restore that moved.
        std::vector<SeedIcon> byHand = e2e::SavedPlaces(kDesktop, 0);
        EXPECT_EQ(e2e::ReadLayoutValues(),
                  e2e::ValuesOf({kHomeLayout, kOther, {kSnapshotTitle, byHand}}));

        e2e::RunningApp again;
        ASSERT_TRUE(again.main());
        EXPECT_EQ(again.Lines(), (Lines{L"home", L"other", kSnapshotTitle}));
        ASSERT_NO_FATAL_FAILURE(Restore(again, 2, button));
        EXPECT_EQ(Places(td->Items()), kByHand);
        EXPECT_TRUE(again.Close());
    }
}

// Every layout of the title is the program's: one the user captured under it goes,
// and the restored line moves up with the lines after it. Deleted with 削除, the
// snapshot stays gone until the next restore that moves an icon.
TEST_F(SnapshotE2E, TheTitleIsTheProgramsAndDeletingItHolds) {
    e2e::SeedLayouts({{kSnapshotTitle, {{PackIconPos(9, 9), L"a"}}}, kHomeLayout, kOther});
    ASSERT_NO_FATAL_FAILURE(StartDesktop(kDesktop));
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    ASSERT_NO_FATAL_FAILURE(Restore(app, 1, IDC_RESTORE));
    EXPECT_EQ(app.Lines(), (Lines{L"home", L"other", kSnapshotTitle}));
    EXPECT_EQ(app.Selection(), 0);

    ASSERT_TRUE(app.DeleteLine(2));
    ASSERT_NO_FATAL_FAILURE(Restore(app, 0, IDC_RESTORE));  // moves nothing
    EXPECT_EQ(app.Lines(), (Lines{L"home", L"other"}));

    ASSERT_NO_FATAL_FAILURE(Arrange({{700, 500}, {300, 100}, {500, 100}}));
    ASSERT_NO_FATAL_FAILURE(Restore(app, 0, IDC_RESTORE));
    EXPECT_EQ(app.Lines(), (Lines{L"home", L"other", kSnapshotTitle}));
    EXPECT_TRUE(app.Close());
    EXPECT_EQ(e2e::ReadTitles(), (Lines{L"home", L"other", kSnapshotTitle}));
    EXPECT_EQ(e2e::ReadDword(L"Pos", L"Pos[2][0]"), PackIconPos(700, 500));
}

// An enjoyable restore stopped with 中断 still leaves the arrangement from before it.
TEST_F(SnapshotE2E, AbortedRestoreKeepsTheSnapshot) {
    const SeedLayout home = {L"home", {{PackIconPos(0, 0), L"far"}}};
    e2e::SeedLayouts({home});
    ASSERT_NO_FATAL_FAILURE(StartDesktop({{20000, 0, "far"}}));
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    app.Select(0);
    driver::ClickButton(app.main(), IDC_FUN_RESTORE);
    ASSERT_TRUE(e2e::WaitForSets(*td, 5));
    driver::ClickButton(app.main(), IDC_FUN_RESTORE);
    ASSERT_TRUE(e2e::WaitForButtons(app.main(), Buttons::kLineSelected, 20000));
    EXPECT_NE(td->Items().at(0).x, 0);
    EXPECT_TRUE(app.Close());
    EXPECT_EQ(e2e::ReadLayoutValues(),
              e2e::ValuesOf({home, {kSnapshotTitle, {{PackIconPos(20000, 0), L"far"}}}}));
}

// Icons the layout does not know, against a layout with "a" at (300, 300) and "edge" at
// the screen's right edge: where each ends, and that no moved icon overlaps another.
TEST_F(SnapshotE2E, NoIconIsBuried) {
    const int screenCx = GetSystemMetrics(SM_CXSCREEN);
    ASSERT_NO_FATAL_FAILURE(StartDesktop({{0, 0, "probe"}}));
    const Pos s = Spacing();
    ASSERT_GT(s.x, 10);
    ASSERT_GT(s.y, 10);
    const int edge = screenCx - s.x;
    struct Case {
        const char* what;
        std::vector<TestItem> desktop;  // item 0 "a", item 1 "edge", then new icons
        std::vector<bool> moved;        // for each new icon
    } cases[] = {
        {"exactly on a saved place", {{300, 300, "new"}}, {true}},
        {"overlapping it by a few pixels", {{300 + s.x - 3, 300 + s.y - 3, "new"}}, {true}},
        {"near but not overlapping", {{300 + s.x, 300 + s.y - 3, "new"}}, {false}},
        {"only touching its box", {{300, 300 + s.y, "new"}}, {false}},
        {"two on the same saved place", {{300, 300, "new"}, {300, 300, "new 2"}}, {true, true}},
        {"on a saved place at the screen's edge", {{edge, 400, "new"}}, {true}},
        {"overlapping only each other", {{700, 600, "x"}, {710, 610, "y"}}, {false, false}},
    };
    e2e::SeedLayouts(
        {{L"home", {{PackIconPos(300, 300), L"a"}, {PackIconPos(edge, 400), L"edge"}}}});
    for (const bool win98 : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (win98 ? " (98)" : ""));
            std::vector<TestItem> items = {{0, 0, "a"}, {0, 200, "edge"}};
            items.insert(items.end(), c.desktop.begin(), c.desktop.end());
            testdesk::TestDesktopOptions options;
            options.emulate9x = win98;
            ASSERT_NO_FATAL_FAILURE(StartDesktop(items, options));
            e2e::RunningApp app(win98 ? e2e::StartAs::kWin98 : e2e::StartAs::kNt);
            ASSERT_TRUE(app.main());
            ASSERT_NO_FATAL_FAILURE(Restore(app, 0, IDC_RESTORE));
            // Where each icon ends: the last place sent to it (the desktop that emulates
            // the 98 scheme does not read its places back), else where it stood.
            std::vector<TestItem> now = items;
            for (const testdesk::SetPositionRecord& r : td->SetPositionLog()) {
                now.at(static_cast<size_t>(r.index)).x = r.x;
                now.at(static_cast<size_t>(r.index)).y = r.y;
            }
            if (!win98) {
                EXPECT_EQ(Places(td->Items()), Places(now));
            }
            EXPECT_EQ((Pos{now[0].x, now[0].y}), (Pos{300, 300}));
            EXPECT_EQ((Pos{now[1].x, now[1].y}), (Pos{edge, 400}));
            for (size_t k = 0; k < c.moved.size(); ++k) {
                const TestItem& was = items[k + 2];
                const TestItem& is = now[k + 2];
                const bool moved = was.x != is.x || was.y != is.y;
                EXPECT_EQ(moved, c.moved[k]) << "icon " << k;
                if (!moved) continue;
                // On the grid of the spacing around its own place, one ring out here,
                // wholly on the screen, overlapping no other icon.
                EXPECT_EQ((is.x - was.x) % s.x, 0);
                EXPECT_EQ((is.y - was.y) % s.y, 0);
                EXPECT_LE(std::abs(is.x - was.x), s.x);
                EXPECT_LE(std::abs(is.y - was.y), s.y);
                EXPECT_GE(is.x, 0);
                EXPECT_LE(is.x + s.x, screenCx);
                EXPECT_GE(is.y, 0);
                for (size_t o = 0; o < now.size(); ++o) {
                    if (o == k + 2) continue;
                    const bool overlap = now[o].x < is.x + s.x && is.x < now[o].x + s.x &&
                                         now[o].y < is.y + s.y && is.y < now[o].y + s.y;
                    EXPECT_FALSE(overlap) << "overlaps item " << o;
                }
            }
            // The nearest place of the first ring: above, or left where that is nearer.
            if (std::string(c.what) == "exactly on a saved place") {
                EXPECT_EQ((Pos{now[2].x, now[2].y}),
                          (s.y <= s.x ? Pos{300, 300 - s.y} : Pos{300 - s.x, 300}));
            }
            EXPECT_TRUE(app.Close());
        }
    }
}

}  // namespace

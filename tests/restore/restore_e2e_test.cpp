// The restore buttons end to end: the real TORVINEL.EXE, driven from this process,
// restores layouts seeded in the registry onto the test desktop, whose list view logs
// every LVM_SETITEMPOSITION it receives.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "store/layout_store.h"
#include "tests/e2e/harness/app.h"
#include "tests/e2e/harness/buttons.h"
#include "tests/e2e/harness/fixture.h"
#include "tests/e2e/harness/registry.h"
#include "tests/e2e/harness/waits.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "ui/resource.h"

namespace testdesk {
// How gtest shows a logged message when a comparison fails.
void PrintTo(const SetPositionRecord& r, std::ostream* os) {
    *os << "(" << r.index << ": " << r.x << ", " << r.y << ")";
}
}  // namespace testdesk

namespace {

using e2e::Buttons;
using testdesk::SetPositionRecord;
using testdesk::TestDesktop;
using testdesk::TestItem;
using Log = std::vector<SetPositionRecord>;

// Until the restore has ended and the dialog is idle with its line still selected.
::testing::AssertionResult WaitIdle(HWND dlg) {
    return e2e::WaitForButtons(dlg, Buttons::kLineSelected, 60000);
}

SetPositionRecord Rec(int index, int x, int y) { return {index, x, y}; }

class RestoreE2E : public e2e::DesktopFixture {
protected:
    // One layout "home" (line 0) with these icons, and a second line "other".
    static void Seed(const std::vector<e2e::SeedIcon>& icons) {
        e2e::SeedLayouts({{L"home", icons}, e2e::OtherLayout()});
    }

    // Selects line 0 and presses `button`.
    static void RestoreHome(const e2e::RunningApp& app, int button) {
        app.Select(0);
        driver::ClickButton(app.main(), button);
    }
};

TEST_F(RestoreE2E, InstantRestorePutsEveryNamedIconBack) {
    Seed({{PackIconPos(10, 20), L"ごみ箱"},
          {PackIconPos(-20, 35), L"notes"},
          {PackIconPos(300, 400), L"Readme.TXT"},
          {PackIconPos(5, 5), L"gone"}});
    StartDesktop({{500, 500, "Readme.txt"},
                  {600, 100, "ごみ箱"},
                  {700, 200, "Unsaved"},
                  {800, 300, "NOTES"}});
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    RestoreHome(app, IDC_RESTORE);
    ASSERT_TRUE(e2e::WaitForSets(*td, 3));
    ASSERT_TRUE(WaitIdle(app.main()));

    const std::vector<TestItem> items = td->Items();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].x, 300);
    EXPECT_EQ(items[0].y, 400);
    EXPECT_EQ(items[1].x, 10);
    EXPECT_EQ(items[1].y, 20);
    EXPECT_EQ(items[2].x, 700);  // no saved place
    EXPECT_EQ(items[2].y, 200);
    EXPECT_EQ(items[3].x, -20);
    EXPECT_EQ(items[3].y, 35);
    // One message per matched item, in item order.
    const Log expected = {Rec(0, 300, 400), Rec(1, 10, 20), Rec(3, -20, 35)};
    EXPECT_EQ(td->SetPositionLog(), expected);
    EXPECT_TRUE(app.Close());
}

TEST_F(RestoreE2E, AnimatedRestoreSendsTheStepSequence) {
    Seed({{PackIconPos(103, 40), L"Notes"}, {PackIconPos(20, 20), L"Still"}});
    StartDesktop({{20, 20, "Still"}, {100, 50, "Notes"}});
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    RestoreHome(app, IDC_FUN_RESTORE);
    ASSERT_TRUE(e2e::WaitForSets(*td, 11));
    ASSERT_TRUE(WaitIdle(app.main()));
    // "Still" is in place: nothing for it. Ten steps, then the target once more.
    const Log expected = {Rec(1, 100, 49), Rec(1, 100, 48), Rec(1, 100, 47), Rec(1, 101, 46),
                          Rec(1, 101, 45), Rec(1, 101, 44), Rec(1, 102, 43), Rec(1, 102, 42),
                          Rec(1, 102, 41), Rec(1, 103, 40), Rec(1, 103, 40)};
    EXPECT_EQ(td->SetPositionLog(), expected);
    EXPECT_TRUE(app.Close());
}

// 予算 and 予斯 differ only in the trail byte of their second character ('Z' and 'z'):
// each goes to its own saved place, instantly and enjoyably, whatever the order.
TEST_F(RestoreE2E, DoubleByteNamesDifferingInTrailByteCaseKeepTheirPlaces) {
    for (const int id : {IDC_RESTORE, IDC_FUN_RESTORE}) {
        SCOPED_TRACE(id);
        Seed({{PackIconPos(40, 30), L"予斯"}, {PackIconPos(240, 30), L"予算"}});
        td.reset();
        StartDesktop({{40, 130, "予算"}, {240, 130, "予斯"}});
        e2e::RunningApp app;
        ASSERT_TRUE(app.main());
        RestoreHome(app, id);
        ASSERT_TRUE(e2e::WaitForSets(*td, 2));
        ASSERT_TRUE(WaitIdle(app.main()));
        const std::vector<TestItem> items = td->Items();
        ASSERT_EQ(items.size(), 2u);
        EXPECT_EQ(items[0].x, 240);  // 予算
        EXPECT_EQ(items[0].y, 30);
        EXPECT_EQ(items[1].x, 40);  // 予斯
        EXPECT_EQ(items[1].y, 30);
        EXPECT_TRUE(app.Close());
    }
}

// A long glide shows the busy labels; "中断" stops it after the step in progress, leaves
// the later icon alone, and the idle labels return. The glide comes from far off the
// screen to a place on it (a place no monitor shows would be brought onto the screen).
TEST_F(RestoreE2E, BusyLabelsAndAbort) {
    Seed({{PackIconPos(0, 0), L"far"}, {PackIconPos(50, 50), L"next"}});
    StartDesktop({{20000, 0, "far"}, {0, 100, "next"}});
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    RestoreHome(app, IDC_FUN_RESTORE);
    ASSERT_TRUE(e2e::WaitForSets(*td, 5));
    EXPECT_TRUE(e2e::ButtonsAre(app.main(), Buttons::kRestoring));
    driver::ClickButton(app.main(), IDC_FUN_RESTORE);
    ASSERT_TRUE(WaitIdle(app.main()));

    const Log log = td->SetPositionLog();
    ASSERT_FALSE(log.empty());
    EXPECT_LT(log.size(), 20001u);
    for (const SetPositionRecord& r : log)
        EXPECT_EQ(r.index, 0) << "at x " << r.x;  // "next" never moves
    // Steps of one pixel each, and no final set of the target.
    EXPECT_EQ(log.back().x, 20000 - static_cast<int>(log.size()));
    EXPECT_NE(log.back().x, 0);
    EXPECT_TRUE(app.Close());
}

// "もっと速く！！" raises the step: the glide takes far fewer messages and still ends
// exactly on the target.
TEST_F(RestoreE2E, FasterShortensTheGlide) {
    Seed({{PackIconPos(0, 0), L"far"}});
    StartDesktop({{8000, 0, "far"}});
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    RestoreHome(app, IDC_FUN_RESTORE);
    ASSERT_TRUE(e2e::WaitForSets(*td, 2));
    for (int i = 0; i < 20; ++i) driver::ClickButton(app.main(), IDC_RESTORE);
    ASSERT_TRUE(WaitIdle(app.main()));

    const Log log = td->SetPositionLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_LT(log.size(), 8001u / 2);  // at speed 1 it takes 8,001 messages
    EXPECT_EQ(log.back(), Rec(0, 0, 0));
    const std::vector<TestItem> items = td->Items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].x, 0);
    EXPECT_TRUE(app.Close());
}

// After deleting the only line nothing is selected but the restore buttons stay
// enabled: a restore then finds no selection, moves nothing, and the dialog returns
// to idle with them disabled.
TEST_F(RestoreE2E, RestoreWithoutSelectionGoesBusyAndBack) {
    StartDesktop({{0, 0, "a"}});
    for (const int id : {IDC_RESTORE, IDC_FUN_RESTORE}) {
        SCOPED_TRACE(id);
        e2e::SeedLayouts({{L"only", {{PackIconPos(9, 9), L"a"}}}});
        e2e::RunningApp app;
        ASSERT_TRUE(app.main());
        ASSERT_TRUE(app.DeleteLine(0));
        ASSERT_TRUE(driver::ReadButton(app.main(), id).enabled);

        driver::ClickButton(app.main(), id);
        EXPECT_TRUE(e2e::WaitForButtons(app.main(), Buttons::kNothingSelected, 10000));
        EXPECT_TRUE(td->SetPositionLog().empty());
        EXPECT_TRUE(app.Close());
    }
}

// Under Windows 98 the 9x worker matches by index: an instant restore moves the first
// min(items, icons) items, an animated one glides through the shared block.
TEST_F(RestoreE2E, Win98WorkerMatchesByIndex) {
    Seed({{PackIconPos(103, 40), L""}, {PackIconPos(7, 8), L""}});
    testdesk::TestDesktopOptions options;
    options.emulate9x = true;
    StartDesktop({{100, 50, "a"}, {30, 30, "b"}, {60, 60, "c"}}, options);
    e2e::RunningApp app(e2e::StartAs::kWin98);
    ASSERT_TRUE(app.main());

    RestoreHome(app, IDC_FUN_RESTORE);
    ASSERT_TRUE(e2e::WaitForSets(*td, 36));
    ASSERT_TRUE(WaitIdle(app.main()));
    Log expected = {Rec(0, 100, 49), Rec(0, 100, 48), Rec(0, 100, 47), Rec(0, 101, 46),
                    Rec(0, 101, 45), Rec(0, 101, 44), Rec(0, 102, 43), Rec(0, 102, 42),
                    Rec(0, 102, 41), Rec(0, 103, 40), Rec(0, 103, 40)};
    for (int k = 1; k <= 23; ++k) {
        // (30, 30) -> (7, 8): f = 23; step k is 30 + (d * k) / 23, truncated toward zero.
        expected.push_back(Rec(1, 30 + (-23 * k) / 23, 30 + (-22 * k) / 23));
    }
    expected.push_back(Rec(1, 7, 8));
    // Item 2 has no icon and its box (75 x 75, the view's spacing) lies under both
    // restored ones: it goes to the nearest free place, one spacing down.
    expected.push_back(Rec(2, 60, 135));
    EXPECT_EQ(td->SetPositionLog(), expected);

    td->ClearSetPositionLog();
    driver::ClickButton(app.main(), IDC_RESTORE);
    ASSERT_TRUE(e2e::WaitForSets(*td, 2));
    ASSERT_TRUE(WaitIdle(app.main()));
    const Log instant = {Rec(0, 103, 40), Rec(1, 7, 8)};  // item 2 has no icon
    EXPECT_EQ(td->SetPositionLog(), instant);
    EXPECT_TRUE(app.Close());
}

}  // namespace

// The restore buttons end to end: the real TORVINEL.EXE, driven from this process,
// restores layouts seeded in the registry onto the test desktop, whose list view logs
// every LVM_SETITEMPOSITION it receives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/layout_store.h"
#include "tests/e2e/harness.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "ui/resource.h"

namespace testdesk {
// How gtest shows a logged message when a comparison fails.
void PrintTo(const SetPositionRecord& r, std::ostream* os) {
    *os << "(" << r.index << ": " << r.x << ", " << r.y << ")";
}
}  // namespace testdesk

namespace {

using testdesk::SetPositionRecord;
using testdesk::TestDesktop;
using testdesk::TestItem;
using Log = std::vector<SetPositionRecord>;

constexpr DWORD kPollMs = 20;
const wchar_t kIdleRestore[] = L"位置を元通りにする";
const wchar_t kIdleFun[] = L"楽しく元に戻す";
const wchar_t kFaster[] = L"もっと速く！！";
const wchar_t kAbort[] = L"中断";

// Polls `done` until it holds or `timeoutMs` has passed.
template <typename Pred>
bool WaitFor(Pred done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(kPollMs);
    }
    return true;
}

bool WaitIdle(HWND dlg, DWORD timeoutMs = 60000) {
    return WaitFor([&] { return driver::ReadButton(dlg, IDC_RESTORE).text == kIdleRestore; },
                   timeoutMs);
}

bool WaitForSets(const TestDesktop& td, size_t n, DWORD timeoutMs = 20000) {
    return WaitFor([&] { return td.SetPositionLog().size() >= n; }, timeoutMs);
}

SetPositionRecord Rec(int index, int x, int y) { return {index, x, y}; }

class RestoreE2E : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::SetWin98(false);
        e2e::DeleteLayouts();
    }
    void TearDown() override {
        e2e::SetWin98(false);
        e2e::DeleteLayouts();
    }

    // One layout "home" (line 0) with these icons, and a second line "other".
    static void Seed(const std::vector<e2e::SeedIcon>& icons) {
        e2e::SeedLayouts({{L"home", icons}, {L"other", {{PackIconPos(1, 1), L"x"}}}});
    }

    // Starts the test desktop with `items`, with an empty position log.
    static void StartDesktop(std::unique_ptr<TestDesktop>& td, const std::vector<TestItem>& items,
                             testdesk::TestDesktopOptions options = {}) {
        td = std::make_unique<TestDesktop>(items, options);
        ASSERT_TRUE(td->Ready());
        td->ClearSetPositionLog();
    }

    static void ExpectBusy(HWND dlg) {
        const driver::ButtonState restore = driver::ReadButton(dlg, IDC_RESTORE);
        const driver::ButtonState fun = driver::ReadButton(dlg, IDC_FUN_RESTORE);
        EXPECT_EQ(restore.text, kFaster);
        EXPECT_TRUE(restore.enabled);
        EXPECT_EQ(fun.text, kAbort);
        EXPECT_TRUE(fun.enabled);
        EXPECT_FALSE(driver::ReadButton(dlg, IDC_REMEMBER).enabled);
        EXPECT_FALSE(driver::ReadButton(dlg, IDC_DELETE).enabled);
    }

    static void ExpectIdleSelected(HWND dlg) {
        EXPECT_EQ(driver::ReadButton(dlg, IDC_RESTORE).text, kIdleRestore);
        EXPECT_TRUE(driver::ReadButton(dlg, IDC_RESTORE).enabled);
        EXPECT_EQ(driver::ReadButton(dlg, IDC_FUN_RESTORE).text, kIdleFun);
        EXPECT_TRUE(driver::ReadButton(dlg, IDC_FUN_RESTORE).enabled);
        EXPECT_TRUE(driver::ReadButton(dlg, IDC_REMEMBER).enabled);
        EXPECT_TRUE(driver::ReadButton(dlg, IDC_DELETE).enabled);
    }

    std::unique_ptr<TestDesktop> td;
};

TEST_F(RestoreE2E, InstantRestorePutsEveryNamedIconBack) {
    Seed({{PackIconPos(10, 20), L"ごみ箱"},
          {PackIconPos(-20, 35), L"notes"},
          {PackIconPos(300, 400), L"Readme.TXT"},
          {PackIconPos(5, 5), L"gone"}});
    StartDesktop(td, {{500, 500, "Readme.txt"},
                      {600, 100, "ごみ箱"},
                      {700, 200, "Unsaved"},
                      {800, 300, "NOTES"}});
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    driver::SelectListLine(app.main(), IDC_LAYOUT_LIST, 0);
    driver::ClickButton(app.main(), IDC_RESTORE);
    ASSERT_TRUE(WaitForSets(*td, 3));
    ASSERT_TRUE(WaitIdle(app.main()));
    ExpectIdleSelected(app.main());

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
    driver::PostClose(app.main());
    EXPECT_TRUE(app.WaitForExit());
}

TEST_F(RestoreE2E, AnimatedRestoreSendsTheStepSequence) {
    Seed({{PackIconPos(103, 40), L"Notes"}, {PackIconPos(20, 20), L"Still"}});
    StartDesktop(td, {{20, 20, "Still"}, {100, 50, "Notes"}});
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    driver::SelectListLine(app.main(), IDC_LAYOUT_LIST, 0);
    driver::ClickButton(app.main(), IDC_FUN_RESTORE);
    ASSERT_TRUE(WaitForSets(*td, 11));
    ASSERT_TRUE(WaitIdle(app.main()));
    // "Still" is in place: nothing for it. Ten steps, then the target once more.
    const Log expected = {Rec(1, 100, 49), Rec(1, 100, 48), Rec(1, 100, 47), Rec(1, 101, 46),
                          Rec(1, 101, 45), Rec(1, 101, 44), Rec(1, 102, 43), Rec(1, 102, 42),
                          Rec(1, 102, 41), Rec(1, 103, 40), Rec(1, 103, 40)};
    EXPECT_EQ(td->SetPositionLog(), expected);
    ExpectIdleSelected(app.main());
    driver::PostClose(app.main());
    EXPECT_TRUE(app.WaitForExit());
}

// A long glide shows the busy labels; "中断" stops it after the step in progress, leaves
// the later icon alone, and the idle labels return.
TEST_F(RestoreE2E, BusyLabelsAndAbort) {
    Seed({{PackIconPos(20000, 0), L"far"}, {PackIconPos(50, 50), L"next"}});
    StartDesktop(td, {{0, 0, "far"}, {0, 100, "next"}});
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    driver::SelectListLine(app.main(), IDC_LAYOUT_LIST, 0);
    driver::ClickButton(app.main(), IDC_FUN_RESTORE);
    ASSERT_TRUE(WaitForSets(*td, 5));
    ExpectBusy(app.main());
    driver::ClickButton(app.main(), IDC_FUN_RESTORE);
    ASSERT_TRUE(WaitIdle(app.main()));
    ExpectIdleSelected(app.main());

    const Log log = td->SetPositionLog();
    ASSERT_FALSE(log.empty());
    EXPECT_LT(log.size(), 20001u);
    for (const SetPositionRecord& r : log)
        EXPECT_EQ(r.index, 0) << "at x " << r.x;  // "next" never moves
    // Steps of one pixel each, and no final set of the target.
    EXPECT_EQ(log.back().x, static_cast<int>(log.size()));
    EXPECT_NE(log.back().x, 20000);
    driver::PostClose(app.main());
    EXPECT_TRUE(app.WaitForExit());
}

// "もっと速く！！" raises the step: the glide takes far fewer messages and still ends
// exactly on the target.
TEST_F(RestoreE2E, FasterShortensTheGlide) {
    Seed({{PackIconPos(8000, 0), L"far"}});
    StartDesktop(td, {{0, 0, "far"}});
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    driver::SelectListLine(app.main(), IDC_LAYOUT_LIST, 0);
    driver::ClickButton(app.main(), IDC_FUN_RESTORE);
    ASSERT_TRUE(WaitForSets(*td, 2));
    for (int i = 0; i < 20; ++i) driver::ClickButton(app.main(), IDC_RESTORE);
    ASSERT_TRUE(WaitIdle(app.main()));

    const Log log = td->SetPositionLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_LT(log.size(), 8001u / 2);  // at speed 1 it takes 8,001 messages
    EXPECT_EQ(log.back(), Rec(0, 8000, 0));
    const std::vector<TestItem> items = td->Items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].x, 8000);
    driver::PostClose(app.main());
    EXPECT_TRUE(app.WaitForExit());
}

// After deleting the only line nothing is selected but the restore buttons stay
// enabled: a restore then finds no selection, moves nothing, and the dialog returns
// to idle with them disabled.
TEST_F(RestoreE2E, RestoreWithoutSelectionGoesBusyAndBack) {
    StartDesktop(td, {{0, 0, "a"}});
    for (const int id : {IDC_RESTORE, IDC_FUN_RESTORE}) {
        SCOPED_TRACE(id);
        e2e::SeedLayouts({{L"only", {{PackIconPos(9, 9), L"a"}}}});
        e2e::RunningApp app;
        ASSERT_TRUE(app.main());
        driver::SelectListLine(app.main(), IDC_LAYOUT_LIST, 0);
        driver::ClickButton(app.main(), IDC_DELETE);
        HWND box = app.WaitForBox(L"削除の確認");
        ASSERT_TRUE(box);
        driver::AnswerMessageBox(box, IDYES);
        ASSERT_TRUE(WaitFor(
            [&] { return driver::ReadListLines(app.main(), IDC_LAYOUT_LIST).empty(); }, 5000));
        ASSERT_TRUE(driver::ReadButton(app.main(), id).enabled);

        driver::ClickButton(app.main(), id);
        EXPECT_TRUE(WaitFor([&] { return !driver::ReadButton(app.main(), id).enabled; }, 10000));
        EXPECT_EQ(driver::ReadButton(app.main(), IDC_RESTORE).text, kIdleRestore);
        EXPECT_EQ(driver::ReadButton(app.main(), IDC_FUN_RESTORE).text, kIdleFun);
        EXPECT_FALSE(driver::ReadButton(app.main(), IDC_RESTORE).enabled);
        EXPECT_FALSE(driver::ReadButton(app.main(), IDC_FUN_RESTORE).enabled);
        EXPECT_FALSE(driver::ReadButton(app.main(), IDC_DELETE).enabled);
        EXPECT_TRUE(driver::ReadButton(app.main(), IDC_REMEMBER).enabled);
        EXPECT_TRUE(td->SetPositionLog().empty());
        driver::PostClose(app.main());
        EXPECT_TRUE(app.WaitForExit());
    }
}

// Closing the dialog in the middle of a restore: an animated one stops at its next
// step, an instant one runs to its end; either way the program ends and the layouts
// are saved.
TEST_F(RestoreE2E, ClosingDuringARestoreEndsCleanlyAndSaves) {
    for (const bool animated : {true, false}) {
        SCOPED_TRACE(animated ? "animated" : "instant");
        std::vector<e2e::SeedIcon> icons;
        std::vector<TestItem> items;
        const int n = animated ? 1 : 300;
        // Icons on a grid with room for their labels (a list view full of overlapping
        // icons paints very slowly); the saved places lie 7 pixels off.
        auto gridX = [](int i) { return 80 * (i % 15) + 10; };
        auto gridY = [](int i) { return 70 * (i / 15) + 10; };
        for (int i = 0; i < n; ++i) {
            const std::string name = "icon " + std::to_string(i);
            icons.push_back({PackIconPos(animated ? 20000 : gridX(i) + 7, gridY(i) + 7),
                             std::wstring(name.begin(), name.end())});
            items.push_back({gridX(i), gridY(i), name});
        }
        Seed(icons);
        StartDesktop(td, items);
        e2e::RunningApp app;
        ASSERT_TRUE(app.main());
        driver::SelectListLine(app.main(), IDC_LAYOUT_LIST, 0);
        driver::ClickButton(app.main(), animated ? IDC_FUN_RESTORE : IDC_RESTORE);
        ASSERT_TRUE(WaitForSets(*td, 2));
        driver::PostClose(app.main());
        DWORD code = 1;
        ASSERT_TRUE(app.process().WaitForExit(30000, &code));
        EXPECT_EQ(code, 0u);

        const Log log = td->SetPositionLog();
        if (animated) {
            EXPECT_LT(log.size(), 20001u);
            EXPECT_NE(log.back().x, 20000);
        } else {
            EXPECT_EQ(log.size(), static_cast<size_t>(n));  // ran to its end
            const std::vector<TestItem> now = td->Items();
            ASSERT_EQ(now.size(), items.size());
            EXPECT_EQ(now.back().x, gridX(n - 1) + 7);
            EXPECT_EQ(now.back().y, gridY(n - 1) + 7);
        }
        EXPECT_EQ(e2e::ReadTitles(), (std::vector<std::wstring>{L"home", L"other"}));
        td.reset();
    }
}

// Under Windows 98 the 9x worker matches by index: an instant restore moves the first
// min(items, icons) items, an animated one glides through the shared block.
TEST_F(RestoreE2E, Win98WorkerMatchesByIndex) {
    Seed({{PackIconPos(103, 40), L""}, {PackIconPos(7, 8), L""}});
    testdesk::TestDesktopOptions options;
    options.emulate9x = true;
    StartDesktop(td, {{100, 50, "a"}, {30, 30, "b"}, {60, 60, "c"}}, options);
    e2e::SetWin98(true);
    driver::Process process = driver::Start(e2e::TorvinelExePath());
    ASSERT_TRUE(process);
    HWND warning = driver::WaitForDialog(process.id(), L"TORVINEL", 10000);
    e2e::SetWin98(false);
    ASSERT_TRUE(warning);
    driver::AnswerMessageBox(warning, IDOK);
    HWND dlg = driver::WaitForDialog(process.id(), driver::kMainCaption);
    ASSERT_TRUE(dlg);

    driver::SelectListLine(dlg, IDC_LAYOUT_LIST, 0);
    driver::ClickButton(dlg, IDC_FUN_RESTORE);
    ASSERT_TRUE(WaitForSets(*td, 12));
    ASSERT_TRUE(WaitIdle(dlg));
    Log expected = {Rec(0, 100, 49), Rec(0, 100, 48), Rec(0, 100, 47), Rec(0, 101, 46),
                    Rec(0, 101, 45), Rec(0, 101, 44), Rec(0, 102, 43), Rec(0, 102, 42),
                    Rec(0, 102, 41), Rec(0, 103, 40), Rec(0, 103, 40)};
    for (int k = 1; k <= 23; ++k) {
        // (30, 30) -> (7, 8): f = 23; step k is 30 + (d * k) / 23, truncated toward zero.
        expected.push_back(Rec(1, 30 + (-23 * k) / 23, 30 + (-22 * k) / 23));
    }
    expected.push_back(Rec(1, 7, 8));
    EXPECT_EQ(td->SetPositionLog(), expected);

    td->ClearSetPositionLog();
    driver::ClickButton(dlg, IDC_RESTORE);
    ASSERT_TRUE(WaitForSets(*td, 2));
    ASSERT_TRUE(WaitIdle(dlg));
    const Log instant = {Rec(0, 103, 40), Rec(1, 7, 8)};  // item 2 has no icon
    EXPECT_EQ(td->SetPositionLog(), instant);
    driver::PostClose(dlg);
    EXPECT_TRUE(process.WaitForExit(10000));
    process.Terminate();
}

}  // namespace

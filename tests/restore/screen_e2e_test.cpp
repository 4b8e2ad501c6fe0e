// A restore shows what the user saved, end to end under Wine: icons named alike each
// go to their own place, places no monitor shows come onto the screen, and a desktop
// that arranges its icons itself is told about instead of a restore that moves nothing.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
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
using testdesk::TestDesktop;
using testdesk::TestItem;

struct Pos {
    int x, y;
};

class ScreenE2E : public e2e::DesktopFixture {
protected:
    // Selects line 0, presses `button`, and waits until the dialog is idle again.
    void RestoreLine0(const e2e::RunningApp& app, int button) const {
        app.Select(0);
        driver::ClickButton(app.main(), button);
        ASSERT_TRUE(e2e::WaitFor([&] { return !td->SetPositionLog().empty(); }, 20000));
        ASSERT_TRUE(e2e::WaitForButtons(app.main(), Buttons::kLineSelected, 60000));
    }

    void ExpectEnds(const std::vector<Pos>& ends) const {
        const std::vector<TestItem> items = td->Items();
        ASSERT_EQ(items.size(), ends.size());
        for (size_t i = 0; i < ends.size(); ++i) {
            EXPECT_EQ(items[i].x, ends[i].x) << "item " << i << " " << items[i].text;
            EXPECT_EQ(items[i].y, ends[i].y) << "item " << i << " " << items[i].text;
        }
    }
};

// The k-th desktop item of a text takes the k-th saved icon of that text (ignoring ASCII
// case); an item beyond the saved icons of its text keeps its place.
TEST_F(ScreenE2E, SameNamedIconsEachGoToTheirOwnPlace) {
    e2e::SeedLayouts({{L"home",
                       {{PackIconPos(10, 10), L"予算"},
                        {PackIconPos(200, 10), L"予算"},
                        {PackIconPos(10, 200), L"Readme"},
                        {PackIconPos(200, 200), L"README"},
                        {PackIconPos(400, 400), L"only"}}}});
    const std::vector<TestItem> items = {{600, 600, "予算"}, {700, 600, "readme"},
                                         {800, 600, "予算"}, {900, 600, "ReadMe"},
                                         {600, 700, "予算"}, {700, 700, "only"}};
    const std::vector<Pos> ends = {{10, 10},   {10, 200},  {200, 10},
                                   {200, 200}, {600, 700}, {400, 400}};
    for (const int button : {IDC_RESTORE, IDC_FUN_RESTORE}) {
        SCOPED_TRACE(button == IDC_RESTORE ? "instant" : "enjoyable");
        StartDesktop(items);
        e2e::RunningApp app;
        ASSERT_TRUE(app.main());
        RestoreLine0(app, button);
        ExpectEnds(ends);
        const auto log = td->SetPositionLog();
        EXPECT_TRUE(std::none_of(log.begin(), log.end(), [](const auto& r) {
            return r.index == 4;
        })) << "the third 予算 has no saved place: no message";
        if (button == IDC_RESTORE) {
            const std::vector<testdesk::SetPositionRecord> expected = {
                {0, 10, 10}, {1, 10, 200}, {2, 200, 10}, {3, 200, 200}, {5, 400, 400}};
            EXPECT_EQ(log, expected);
        }
        EXPECT_TRUE(app.Close());
    }
}

// Two icons that show the same text (extensions hidden), remembered, moved, restored:
// each back at its own place, not one on top of the other.
TEST_F(ScreenE2E, CapturedSameNamedIconsComeBackApart) {
    e2e::DeleteLayouts();
    StartDesktop({{100, 100, "予算"}, {300, 100, "予算"}});
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    ASSERT_TRUE(app.Remember(L"two"));
    StartDesktop({{600, 500, "予算"}, {700, 500, "予算"}});  // the same icons, moved
    RestoreLine0(app, IDC_RESTORE);
    ExpectEnds({{100, 100}, {300, 100}});
    EXPECT_TRUE(app.Close());
}

// A desktop wider than the screen and standing left of and above it (a monitor gone, a
// lower resolution): places no monitor shows are sent to the nearest visible place, in
// the list view's own coordinates; the stored layout is not changed.
TEST_F(ScreenE2E, PlacesNoMonitorShowsComeOntoTheScreen) {
    testdesk::TestDesktopOptions wide;
    wide.left = -100;
    wide.top = -50;
    wide.width = 3000;
    wide.height = 1400;
    const std::vector<std::pair<const wchar_t*, Pos>> saved = {
        {L"on the monitor", {300, 300}},
        {L"past the monitor's right edge", {2000, 300}},
        {L"far right", {30000, 300}},
        {L"far left", {-30000, 300}},
        {L"far below", {300, 30000}},
        {L"above and left, off the screen", {-200, -200}},
        {L"partly shown at the right edge", {1370, 300}},
    };
    std::vector<e2e::SeedIcon> icons;
    std::vector<TestItem> items;
    for (const auto& s : saved) {
        icons.push_back({PackIconPos(s.second.x, s.second.y), s.first});
        char text[64];
        WideCharToMultiByte(CP_ACP, 0, s.first, -1, text, sizeof text, nullptr, nullptr);
        items.push_back({500, 500, text});
    }
    e2e::SeedLayouts({{L"big screen", icons}});
    // The stored layout is not changed; the arrangement before the restore is added.
    const e2e::LayoutValues stored =
        e2e::ValuesOf({{L"big screen", icons}, {e2e::kSnapshotTitle, e2e::SavedPlaces(items, 0)}});

    for (const int button : {IDC_RESTORE, IDC_FUN_RESTORE}) {
        SCOPED_TRACE(button == IDC_RESTORE ? "instant" : "enjoyable");
        StartDesktop(items, wide);
        // The screen (one 1280x1024 monitor at 0,0) in the list view's coordinates, and
        // the icon size as the list view tells it.
        const DWORD spacing =
            static_cast<DWORD>(SendMessageA(td->ListView(), LVM_GETITEMSPACING, FALSE, 0));
        const int cx = LOWORD(spacing), cy = HIWORD(spacing);
        ASSERT_GT(cx, 0);
        const int left = 100, top = 50, right = 1380, bottom = 1074;
        const std::vector<Pos> ends = {
            {300, 300},         {right - cx, 300}, {right - cx, 300}, {left, 300},
            {300, bottom - cy}, {left, top},       {1370, 300},
        };
        e2e::RunningApp app;
        ASSERT_TRUE(app.main());
        RestoreLine0(app, button);
        ExpectEnds(ends);
        EXPECT_TRUE(app.Close());
        EXPECT_EQ(e2e::ReadLayoutValues(), stored);
    }
}

// With auto arrange on, a restore asks first. いいえ: no position message goes out and the
// dialog is idle with its line selected. はい: auto arrange goes off on the list view and
// the icons go home. A capture works either way.
TEST_F(ScreenE2E, AutoArrangeGoesOffOnlyWhenTheUserAgrees) {
    e2e::SeedLayouts({{L"home", {{PackIconPos(10, 10), L"a"}, {PackIconPos(300, 10), L"b"}}}});
    testdesk::TestDesktopOptions arranged;
    arranged.autoArrange = true;
    StartDesktop({{0, 0, "a"}, {100, 0, "b"}}, arranged);
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    const auto arranging = [&] {
        return (GetWindowLongPtrA(td->ListView(), GWL_STYLE) & LVS_AUTOARRANGE) != 0;
    };
    for (const int button : {IDC_RESTORE, IDC_FUN_RESTORE}) {
        app.Select(0);
        driver::ClickButton(app.main(), button);
        const auto text = app.AnswerBox(e2e::kAppCaption, 5000, IDNO);
        ASSERT_TRUE(text.has_value());
        EXPECT_NE(text->find(L"自動整列をオフにして復元しますか"), std::wstring::npos);
        EXPECT_TRUE(e2e::WaitForButtons(app.main(), Buttons::kLineSelected, 5000));
        EXPECT_EQ(app.Selection(), 0);
        EXPECT_TRUE(arranging());
    }
    EXPECT_TRUE(td->SetPositionLog().empty());
    EXPECT_TRUE(app.Remember(L"arranged"));

    app.Select(0);
    driver::ClickButton(app.main(), IDC_RESTORE);
    ASSERT_TRUE(app.AnswerBox(e2e::kAppCaption, 5000, IDYES).has_value());
    ASSERT_TRUE(e2e::WaitForSets(*td, 2));
    ASSERT_TRUE(e2e::WaitForButtons(app.main(), Buttons::kLineSelected, 20000));
    EXPECT_FALSE(arranging());
    const std::vector<TestItem> now = td->Items();
    ASSERT_EQ(now.size(), 2u);
    EXPECT_EQ(now[0].x, 10);
    EXPECT_EQ(now[1].x, 300);
    EXPECT_TRUE(app.Close());
}

}  // namespace

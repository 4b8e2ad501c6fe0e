// The shell's view object told where a restore put the icons, end to end: the real
// TORVINEL.EXE restores onto the test desktop, which serves the view-object chain as
// the shell does and logs every SelectAndPositionItems call (items as list-view
// indexes). The registration that lets the program reach it is made for each test and
// taken out afterwards.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "desktop/access/view_session.h"
#include "store/layout_store.h"
#include "tests/e2e/harness/app.h"
#include "tests/e2e/harness/buttons.h"
#include "tests/e2e/harness/fixture.h"
#include "tests/e2e/harness/registry.h"
#include "tests/e2e/harness/waits.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "tools/test_desktop/view_object/ids.h"
#include "tools/test_desktop/view_object/registration.h"
#include "ui/resource.h"

namespace testdesk {
void PrintTo(const SetPositionRecord& r, std::ostream* os) {
    *os << "(" << r.index << ": " << r.x << ", " << r.y << ")";
}
void PrintTo(const ViewItemPosition& r, std::ostream* os) {
    *os << "(" << r.index << ": " << r.x << ", " << r.y << ")";
}
}  // namespace testdesk

namespace {

using e2e::Buttons;
using testdesk::SetPositionRecord;
using testdesk::TestDesktop;
using testdesk::TestItem;
using testdesk::ViewItemPosition;
using testdesk::ViewObjectMode;
using Log = std::vector<SetPositionRecord>;
using Placed = std::vector<ViewItemPosition>;

::testing::AssertionResult WaitIdle(HWND dlg, DWORD timeoutMs = 60000) {
    return e2e::WaitForButtons(dlg, Buttons::kLineSelected, timeoutMs);
}

class ViewObjectE2E : public e2e::DesktopFixture {
protected:
    void SetUp() override {
        e2e::Fixture::SetUp();
        registration = std::make_unique<testdesk::ViewObjectRegistration>();
        ASSERT_TRUE(registration->Ok());
    }
    void TearDown() override {
        td.reset();
        e2e::Fixture::TearDown();
        registration.reset();
    }

    static void Seed(const std::vector<e2e::SeedIcon>& icons) {
        e2e::SeedLayouts({{L"home", icons}, e2e::OtherLayout()});
    }

    using DesktopFixture::StartDesktop;
    void StartDesktop(const std::vector<TestItem>& items, ViewObjectMode mode) {
        testdesk::TestDesktopOptions options;
        options.viewObject = mode;
        StartDesktop(items, options);
    }

    static void RestoreHome(const e2e::RunningApp& app, int button) {
        app.Select(0);
        driver::ClickButton(app.main(), button);
    }

    // The one call the restore made: position only, these items.
    void ExpectOneCall(const Placed& expected) const {
        const std::vector<testdesk::ViewObjectCall> calls = td->ViewObjectCalls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].flags, static_cast<unsigned long>(SVSI_POSITIONITEM));
        EXPECT_EQ(calls[0].items, expected);
    }

    std::unique_ptr<testdesk::ViewObjectRegistration> registration;
};

// Instant: every matched icon (the one in place already too) in one call at its saved
// place; the list view's messages as without the view object.
TEST_F(ViewObjectE2E, InstantRestoreTellsTheViewObjectOnce) {
    Seed({{PackIconPos(10, 20), L"ごみ箱"},
          {PackIconPos(-20, 35), L"notes"},
          {PackIconPos(300, 400), L"Readme.TXT"},
          {PackIconPos(800, 300), L"here"}});
    StartDesktop({{500, 500, "Readme.txt"},
                  {600, 100, "ごみ箱"},
                  {700, 200, "Unsaved"},
                  {800, 300, "here"},
                  {900, 300, "NOTES"}},
                 ViewObjectMode::kSameOrder);
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    RestoreHome(app, IDC_RESTORE);
    ASSERT_TRUE(e2e::WaitForSets(*td, 4));
    ASSERT_TRUE(WaitIdle(app.main()));

    const Log lv = {{0, 300, 400}, {1, 10, 20}, {3, 800, 300}, {4, -20, 35}};
    EXPECT_EQ(td->SetPositionLog(), lv);
    ExpectOneCall({{0, 300, 400}, {1, 10, 20}, {3, 800, 300}, {4, -20, 35}});
    // Every display name was read in the program's own process; only the parsing names
    // of the reading were asked of the view, each item's once.
    EXPECT_EQ(td->ViewLog().nameRequests, std::vector<int>{});
    std::vector<int> parsed = td->ViewLog().parseRequests;
    std::sort(parsed.begin(), parsed.end());
    EXPECT_EQ(parsed, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(app.Close());
}

// Animated: the call comes after the last step (the list view's log is complete when
// it appears) and names only the icons that glided to their targets: not one that
// stood there already.
TEST_F(ViewObjectE2E, AnimatedRestoreTellsTheFinalPositionsAfterTheLastStep) {
    Seed({{PackIconPos(103, 40), L"Notes"},
          {PackIconPos(20, 20), L"Still"},
          {PackIconPos(3, 4), L"b"}});
    StartDesktop({{20, 20, "Still"}, {100, 50, "Notes"}, {0, 0, "b"}}, ViewObjectMode::kSameOrder);
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    RestoreHome(app, IDC_FUN_RESTORE);
    ASSERT_TRUE(e2e::WaitFor([&] { return !td->ViewObjectCalls().empty(); }, 20000));
    const Log lv = td->SetPositionLog();
    ASSERT_TRUE(WaitIdle(app.main()));

    ASSERT_EQ(lv.size(), 11u + 5u);  // Notes: ten steps and the target; b: four and the target
    EXPECT_EQ(lv[10], (SetPositionRecord{1, 103, 40}));
    EXPECT_EQ(lv.back(), (SetPositionRecord{2, 3, 4}));
    ExpectOneCall({{1, 103, 40}, {2, 3, 4}});
    EXPECT_TRUE(app.Close());
}

// An aborted glide: the icon that reached its target is told, the one stopped on its
// way and the one after it are not.
TEST_F(ViewObjectE2E, AbortedRestoreTellsOnlyTheIconsAtTheirTargets) {
    Seed({{PackIconPos(10, 0), L"near"},
          {PackIconPos(20000, 100), L"far"},
          {PackIconPos(50, 50), L"next"}});
    StartDesktop({{0, 0, "near"}, {0, 100, "far"}, {0, 200, "next"}}, ViewObjectMode::kSameOrder);
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    RestoreHome(app, IDC_FUN_RESTORE);
    ASSERT_TRUE(e2e::WaitForSets(*td, 11 + 5));  // "near" is done, "far" glides
    driver::ClickButton(app.main(), IDC_FUN_RESTORE);
    ASSERT_TRUE(WaitIdle(app.main()));

    const Log lv = td->SetPositionLog();
    ASSERT_GT(lv.size(), 11u);
    EXPECT_EQ(lv[10], (SetPositionRecord{0, 10, 0}));
    EXPECT_EQ(lv.back().index, 1);
    EXPECT_LT(lv.back().x, 20000);
    ExpectOneCall({{0, 10, 0}});
    EXPECT_TRUE(app.Close());
}

// The view lists its items in another order than the list view (view order 1 0 3 2 5 4
// 7 6): an icon whose view item at its index carries another name (case counts) pairs
// with the one view item of its name; with two of that name it stays out. The list
// view's restore is unchanged.
TEST_F(ViewObjectE2E, AViewInAnotherOrderIsToldTheMovedIconsByName) {
    Seed({{PackIconPos(1, 1), L"alpha"},
          {PackIconPos(2, 2), L"beta"},
          {PackIconPos(3, 3), L"photo.jpg"},
          {PackIconPos(4, 4), L"gamma"},
          {PackIconPos(6, 6), L"twin"},
          {PackIconPos(6, 6), L"twin"},
          {PackIconPos(5, 5), L"solo"},
          {PackIconPos(7, 7), L"last"}});
    StartDesktop({{100, 0, "alpha"},
                  {200, 0, "beta"},
                  {300, 0, "PHOTO.JPG"},
                  {400, 0, "gamma"},
                  {500, 0, "twin"},
                  {600, 0, "solo"},
                  {700, 0, "twin"},
                  {800, 0, "last"}},
                 ViewObjectMode::kReordered);
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    RestoreHome(app, IDC_RESTORE);
    ASSERT_TRUE(e2e::WaitForSets(*td, 8));
    ASSERT_TRUE(WaitIdle(app.main()));

    const Log lv = {{0, 1, 1}, {1, 2, 2}, {2, 3, 3}, {3, 4, 4},
                    {4, 6, 6}, {5, 5, 5}, {6, 6, 6}, {7, 7, 7}};
    EXPECT_EQ(td->SetPositionLog(), lv);
    ExpectOneCall({{0, 1, 1}, {1, 2, 2}, {2, 3, 3}, {3, 4, 4}, {5, 5, 5}, {7, 7, 7}});
    EXPECT_TRUE(app.Close());
}

// A view that counts positions from another origin than the list view: the offset is
// found on the two icons the restore leaves alone before the commit, and every point
// of the call is translated by it, so the view puts each icon where the list view did.
TEST_F(ViewObjectE2E, TheViewIsToldPointsInItsOwnCoordinates) {
    Seed({{PackIconPos(10, 20), L"one"}, {PackIconPos(300, 40), L"two"}});
    const struct {
        ViewObjectMode mode;
        int dx, dy;
    } cases[] = {
        {ViewObjectMode::kSameOrder, 0, 0},
        {ViewObjectMode::kOffset, testdesk::kViewOffsetX, testdesk::kViewOffsetY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testdesk::ViewObjectModeName(c.mode));
        StartDesktop(
            {{500, 100, "one"}, {600, 100, "two"}, {700, 100, "still"}, {800, 100, "still 2"}},
            c.mode);
        e2e::RunningApp app;
        ASSERT_TRUE(app.main());
        RestoreHome(app, IDC_RESTORE);
        ASSERT_TRUE(e2e::WaitForSets(*td, 2));
        ASSERT_TRUE(WaitIdle(app.main()));

        EXPECT_EQ(td->SetPositionLog(), (Log{{0, 10, 20}, {1, 300, 40}}));
        ExpectOneCall({{0, 10 + c.dx, 20 + c.dy}, {1, 300 + c.dx, 40 + c.dy}});
        EXPECT_TRUE(app.Close());
        td.reset();
    }
}

// A view whose own position of an icon lags behind the list view's once list-view
// messages moved it (as Windows 10 1809 and later may): every icon moves, so none can
// be measured, and the points go untranslated. Measured on a moved icon, its lag would
// have shifted every point of the call.
TEST_F(ViewObjectE2E, AViewLaggingBehindMovedIconsIsToldUntranslatedPlaces) {
    Seed({{PackIconPos(10, 20), L"one"}, {PackIconPos(300, 40), L"two"}});
    StartDesktop({{500, 100, "one"}, {600, 100, "two"}}, ViewObjectMode::kLagging);
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    RestoreHome(app, IDC_RESTORE);
    ASSERT_TRUE(e2e::WaitForSets(*td, 2));
    ASSERT_TRUE(WaitIdle(app.main()));

    ExpectOneCall({{0, 10, 20}, {1, 300, 40}});
    EXPECT_TRUE(app.Close());
}

// A view object the shell hands out only after the restore has stopped waiting for it
// is told nothing: the dialog is idle, the user moves an icon, and it stays where the
// user put it after the late view object answered and the commit prepared (the names
// only the view can give are asked of it then).
TEST_F(ViewObjectE2E, AViewObjectThatAnswersLateIsToldNothing) {
    static_assert(testdesk::kLateViewMs > static_cast<int>(desktop::kViewSessionWaitMs) + 2000,
                  "the user's move must come between the restore's wait and the answer");
    Seed({{PackIconPos(10, 20), L"z:1"}, {PackIconPos(30, 40), L"z:2"}});
    StartDesktop({{0, 0, "z:1"}, {5, 5, "z:2"}}, ViewObjectMode::kLate);
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    const DWORD start = GetTickCount();
    RestoreHome(app, IDC_RESTORE);
    ASSERT_TRUE(e2e::WaitForSets(*td, 2));
    ASSERT_TRUE(WaitIdle(app.main(), 15000));
    ASSERT_LT(GetTickCount() - start, static_cast<DWORD>(testdesk::kLateViewMs));
    SendMessageW(td->ListView(), LVM_SETITEMPOSITION, 0, MAKELPARAM(200, 250));

    ASSERT_TRUE(e2e::WaitFor([&] { return td->ViewLog().nameRequests.size() >= 2; },
                             testdesk::kLateViewMs + 10000));
    EXPECT_FALSE(e2e::WaitFor([&] { return !td->ViewObjectCalls().empty(); }, 3000));
    const std::vector<TestItem> items = td->Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].x, 200);
    EXPECT_EQ(items[0].y, 250);
    EXPECT_EQ(td->SetPositionLog(), (Log{{0, 10, 20}, {1, 30, 40}, {0, 200, 250}}));
    EXPECT_TRUE(app.Close());
}

// Names the shell's desktop folder cannot make an item ID for (they read as drive
// paths): the test desktop hands out IDs only it understands, the program's own desktop
// folder cannot name them, and the view is asked for just those names, with the same
// check; the other names are read in the program's process.
TEST_F(ViewObjectE2E, ItemsOnlyTheViewCanNameAreCheckedByTheView) {
    Seed({{PackIconPos(1, 1), L"z:1"},
          {PackIconPos(2, 2), L"z:2"},
          {PackIconPos(3, 3), L"y:1"},
          {PackIconPos(4, 4), L"y:2"},
          {PackIconPos(5, 5), L"plain"}});
    const struct {
        ViewObjectMode mode;
        Placed told;
    } cases[] = {
        {ViewObjectMode::kSameOrder, {{0, 1, 1}, {1, 2, 2}, {2, 3, 3}, {3, 4, 4}, {4, 5, 5}}},
        // View order 1 0 3 2 4: each paired by its name.
        {ViewObjectMode::kReordered, {{0, 1, 1}, {1, 2, 2}, {2, 3, 3}, {3, 4, 4}, {4, 5, 5}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testdesk::ViewObjectModeName(c.mode));
        StartDesktop(
            {{100, 0, "z:1"}, {200, 0, "z:2"}, {300, 0, "y:1"}, {400, 0, "y:2"}, {500, 0, "plain"}},
            c.mode);
        e2e::RunningApp app;
        ASSERT_TRUE(app.main());
        RestoreHome(app, IDC_RESTORE);
        ASSERT_TRUE(e2e::WaitForSets(*td, 5));
        ASSERT_TRUE(WaitIdle(app.main()));

        ExpectOneCall(c.told);
        std::vector<int> asked = td->ViewLog().nameRequests;
        std::sort(asked.begin(), asked.end());
        EXPECT_EQ(asked, (std::vector<int>{0, 1, 2, 3}));
        EXPECT_TRUE(app.Close());
        td.reset();
    }
}

// No view object to be had (Wine's own explorer answers ShellWindows with a view that
// implements nothing; or the class named by TreatAs is not running): the restore is
// as it always was, nothing is shown, and the dialog returns to idle.
TEST_F(ViewObjectE2E, WithoutAViewObjectTheRestoreStandsSilently) {
    Seed({{PackIconPos(10, 20), L"a"}, {PackIconPos(30, 40), L"b"}});
    for (const bool registered : {false, true}) {
        SCOPED_TRACE(registered ? "class not running" : "Wine's explorer");
        if (!registered) registration.reset();
        StartDesktop({{0, 0, "a"}, {5, 5, "b"}}, ViewObjectMode::kNone);
        e2e::RunningApp app;
        ASSERT_TRUE(app.main());
        RestoreHome(app, IDC_RESTORE);
        ASSERT_TRUE(e2e::WaitForSets(*td, 2));
        EXPECT_TRUE(WaitIdle(app.main(), 10000));
        EXPECT_EQ(td->SetPositionLog(), (Log{{0, 10, 20}, {1, 30, 40}}));
        EXPECT_EQ(app.WaitForBox(e2e::kAppCaption, 300), nullptr);
        EXPECT_TRUE(app.Close());
        if (!registered) registration = std::make_unique<testdesk::ViewObjectRegistration>();
    }
}

// A view object that never answers holds the restore only for its wait: the dialog
// goes idle by itself, silently, with the list view's restore standing. The hung call
// keeps its one thread: a second restore goes idle too but does not call again. Closing
// afterwards ends the process normally, with the layouts saved.
TEST_F(ViewObjectE2E, AHangingViewObjectHoldsTheRestoreOnlyForItsWait) {
    const std::vector<e2e::SeedIcon> home = {{PackIconPos(10, 20), L"a"},
                                             {PackIconPos(30, 40), L"b"}};
    Seed(home);
    // Saved with the snapshot of before the first restore (the second moves nothing).
    const e2e::LayoutValues expected = e2e::ValuesOf(
        {{L"home", home},
         e2e::OtherLayout(),
         {e2e::kSnapshotTitle, {{PackIconPos(0, 0), L"a"}, {PackIconPos(5, 5), L"b"}}}});
    StartDesktop({{0, 0, "a"}, {5, 5, "b"}}, ViewObjectMode::kHangs);
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    for (const int attempt : {1, 2}) {
        SCOPED_TRACE(attempt);
        RestoreHome(app, IDC_RESTORE);
        ASSERT_TRUE(e2e::WaitForSets(*td, 2u * attempt));
        // A bound, not a measure: the wait is one list-view message time-out.
        ASSERT_TRUE(WaitIdle(app.main(), 15000));
        EXPECT_EQ(td->ViewObjectCalls().size(), 1u);
        EXPECT_EQ(app.WaitForBox(e2e::kAppCaption, 300), nullptr);
    }
    EXPECT_EQ(td->SetPositionLog(), (Log{{0, 10, 20}, {1, 30, 40}, {0, 10, 20}, {1, 30, 40}}));

    driver::PostClose(app.main());
    DWORD code = 1;
    EXPECT_TRUE(app.process().WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(e2e::ReadLayoutValues(), expected);
}

// Closing while the restore still waits for a view object that never answers saves the
// layouts and ends the process within the close path's time-out.
TEST_F(ViewObjectE2E, AHangingViewObjectDoesNotHoldTheClose) {
    Seed({{PackIconPos(10, 20), L"a"}});
    const e2e::LayoutValues expected =
        e2e::ValuesOf({{L"home", {{PackIconPos(10, 20), L"a"}}},
                       e2e::OtherLayout(),
                       {e2e::kSnapshotTitle, {{PackIconPos(0, 0), L"a"}}}});
    StartDesktop({{0, 0, "a"}}, ViewObjectMode::kHangs);
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    RestoreHome(app, IDC_RESTORE);
    ASSERT_TRUE(e2e::WaitForSets(*td, 1));
    ASSERT_TRUE(e2e::WaitFor([&] { return !td->ViewObjectCalls().empty(); }, 5000));
    EXPECT_TRUE(e2e::ButtonsAre(app.main(), Buttons::kRestoring));

    driver::PostClose(app.main());
    DWORD code = 1;
    const DWORD start = GetTickCount();
    // The close path waits twice the list view's message time-out for the worker.
    EXPECT_TRUE(app.process().WaitForExit(15000, &code));
    std::printf("closed in %lu ms\n", static_cast<unsigned long>(GetTickCount() - start));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(e2e::ReadLayoutValues(), expected);
}

// The registration exists only while its object does, and then the values Wine had
// are back.
TEST(ViewObjectRegistrationE2E, IsTakenOutAgain) {
    const auto read = [](const wchar_t* key) {
        wchar_t value[256] = {};
        DWORD size = sizeof value - sizeof(wchar_t);
        const LONG r =
            RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
        return r == ERROR_SUCCESS ? std::wstring(value) : std::wstring(L"<none>");
    };
    const wchar_t* keys[] = {
        L"CLSID\\{9BA05972-F6A8-11CF-A442-00A0C90A8F39}\\TreatAs",
        L"Interface\\{CDE725B0-CCC9-4519-917E-325D72FAB4CE}\\ProxyStubClsid32",
        L"Interface\\{000214E6-0000-0000-C000-000000000046}\\ProxyStubClsid32",
        L"Interface\\{000214F2-0000-0000-C000-000000000046}\\ProxyStubClsid32",
        L"CLSID\\" TESTDESK_PROXY_CLSID_WTEXT L"\\InprocServer32",
    };
    std::vector<std::wstring> before;
    for (const wchar_t* key : keys) before.push_back(read(key));
    EXPECT_EQ(before[0], L"<none>");
    EXPECT_EQ(before[4], L"<none>");
    {
        testdesk::ViewObjectRegistration registration;
        ASSERT_TRUE(registration.Ok());
        EXPECT_EQ(read(keys[0]), L"" TESTDESK_SHELL_WINDOWS_CLSID_WTEXT);
        EXPECT_EQ(read(keys[1]), L"" TESTDESK_PROXY_CLSID_WTEXT);
        EXPECT_EQ(read(keys[2]), L"" TESTDESK_PROXY_CLSID_WTEXT);
        EXPECT_EQ(read(keys[3]), L"" TESTDESK_PROXY_CLSID_WTEXT);
        EXPECT_NE(read(keys[4]).find(L"shell_view_ps.dll"), std::wstring::npos);
    }
    for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(read(keys[i]), before[i]) << i;
}

}  // namespace

namespace {

// A place no monitor shows is told to the view object as the place the icon was sent
// (on the screen), and two icons of one name each with their own place.
TEST_F(ViewObjectE2E, TheViewObjectIsToldThePlacesSent) {
    Seed({{PackIconPos(30000, 100), L"far right"},
          {PackIconPos(100, 100), L"twin"},
          {PackIconPos(300, 100), L"twin"}});
    StartDesktop({{500, 500, "far right"}, {600, 500, "twin"}, {700, 500, "twin"}},
                 ViewObjectMode::kSameOrder);
    const DWORD spacing =
        static_cast<DWORD>(SendMessageW(td->ListView(), LVM_GETITEMSPACING, FALSE, 0));
    const int right = GetSystemMetrics(SM_CXSCREEN) - LOWORD(spacing);
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    RestoreHome(app, IDC_RESTORE);
    ASSERT_TRUE(e2e::WaitForSets(*td, 3));
    ASSERT_TRUE(WaitIdle(app.main()));
    const Log lv = {{0, right, 100}, {1, 100, 100}, {2, 300, 100}};
    EXPECT_EQ(td->SetPositionLog(), lv);
    ExpectOneCall({{0, right, 100}, {1, 100, 100}, {2, 300, 100}});
    EXPECT_TRUE(app.Close());
    EXPECT_EQ(e2e::ReadDword(L"Pos", L"Pos[0][0]"), PackIconPos(30000, 100));  // as stored
}

}  // namespace

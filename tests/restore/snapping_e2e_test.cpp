// Restores on desktops as Windows ships them, end to end with the real TORVINEL.EXE: one
// that snaps its icons to its grid (every icon must land exactly on its saved place, a
// glide must move by the animation's own steps, and the snapping must be on again
// however the restore ends), and one that arranges its icons itself (auto arrange goes
// off only when the user agrees, in the shell's setting and on the list view).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <atomic>
#include <string>
#include <vector>

#include "desktop/restore/animation.h"
#include "store/layout_store.h"
#include "tests/e2e/harness/app.h"
#include "tests/e2e/harness/buttons.h"
#include "tests/e2e/harness/fixture.h"
#include "tests/e2e/harness/registry.h"
#include "tests/e2e/harness/waits.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "tools/test_desktop/view_object/registration.h"
#include "ui/resource.h"

namespace {

using e2e::Buttons;
using testdesk::TestItem;

struct Spacing {
    int cx, cy;
};

// A grid point of the test desktop: its grid counts from the view's origin.
TestItem At(const Spacing& s, int i, int j, const char* name) { return {i * s.cx, j * s.cy, name}; }

class SnappingE2E : public e2e::DesktopFixture {
protected:
    Spacing StartSnapping(const std::vector<TestItem>& items, bool snaps = true) {
        testdesk::TestDesktopOptions options;
        options.snapToGrid = snaps;
        StartDesktop(items, options);
        const auto spacing =
            static_cast<DWORD>(SendMessageA(td->ListView(), LVM_GETITEMSPACING, FALSE, 0));
        return {LOWORD(spacing), HIWORD(spacing)};
    }
    bool Snaps() const { return (td->ListViewExStyle() & LVS_EX_SNAPTOGRID) != 0; }

    static void Seed(const std::vector<TestItem>& saved) {
        e2e::SeedLayout home{L"home", {}};
        for (const TestItem& item : saved)
            home.icons.push_back(
                {PackIconPos(item.x, item.y), std::wstring(item.text.begin(), item.text.end())});
        e2e::SeedLayouts({home});
    }

    // Presses `button` on line 0 and waits until the dialog is idle again.
    static void Restore(const e2e::RunningApp& app, int button) {
        app.Select(0);
        driver::ClickButton(app.main(), button);
        ASSERT_TRUE(e2e::WaitForButtons(app.main(), Buttons::kRestoring, 5000));
        ASSERT_TRUE(e2e::WaitForButtons(app.main(), Buttons::kLineSelected, 30000));
    }

    void ExpectAt(const std::vector<TestItem>& saved) const {
        const std::vector<TestItem> now = td->Items();
        ASSERT_EQ(now.size(), saved.size());
        for (size_t i = 0; i < now.size(); ++i)
            EXPECT_TRUE(now[i].x == saved[i].x && now[i].y == saved[i].y)
                << now[i].text << " at " << now[i].x << "," << now[i].y << ", saved " << saved[i].x
                << "," << saved[i].y;
    }
};

// Every icon exactly home, the glide by the animation's own steps, the snapping on again.
TEST_F(SnappingE2E, IconsLandExactlyAndTheSnappingComesBack) {
    struct Case {
        const char* what;
        int from[2][2];  // grid points of a and b
        int to[2][2];
    } cases[] = {
        {"two icons swapped", {{1, 1}, {2, 1}}, {{2, 1}, {1, 1}}},
        {"an icon sent onto a point another leaves later", {{1, 1}, {2, 1}}, {{2, 1}, {3, 2}}},
    };
    for (const Case& c : cases) {
        for (const int button : {IDC_RESTORE, IDC_FUN_RESTORE}) {
            SCOPED_TRACE(std::string(c.what) +
                         (button == IDC_RESTORE ? ", instant" : ", enjoyable"));
            Spacing s{0, 0};
            // The places depend on the spacing: start once to read it.
            s = StartSnapping({{0, 0, "a"}, {0, 0, "b"}});
            const std::vector<TestItem> start = {At(s, c.from[0][0], c.from[0][1], "a"),
                                                 At(s, c.from[1][0], c.from[1][1], "b")};
            const std::vector<TestItem> saved = {At(s, c.to[0][0], c.to[0][1], "a"),
                                                 At(s, c.to[1][0], c.to[1][1], "b")};
            Seed(saved);
            StartSnapping(start);
            ASSERT_TRUE(Snaps());
            e2e::RunningApp app;
            ASSERT_TRUE(app.main());
            Restore(app, button);
            ExpectAt(saved);
            EXPECT_TRUE(Snaps());
            if (button == IDC_FUN_RESTORE) {
                std::vector<testdesk::SetPositionRecord> steps;
                const std::atomic<int32_t> no{0}, one{1};
                for (int i = 0; i < 2; ++i)
                    restore::AnimateIcon(start[i].x, start[i].y, saved[i].x, saved[i].y, no, one,
                                         [&](int32_t x, int32_t y) {
                                             steps.push_back({i, x, y});
                                         });
                EXPECT_EQ(td->SetPositionLog(), steps);
            }
            EXPECT_TRUE(app.Close());
        }
    }
}

// However the restore ends that the program controls, the snapping is on again after it:
// 中断, a shell that hung past a message's time-out (and woke within the switch back's),
// the dialog closed during the restore.
TEST_F(SnappingE2E, TheSnappingComesBackHoweverTheRestoreEnds) {
    const Spacing s = StartSnapping({});
    std::vector<TestItem> start, saved;
    for (int i = 0; i < 12; ++i) {
        const std::string name = "icon " + std::to_string(i);
        start.push_back(At(s, i % 4, i / 4, name.c_str()));
        saved.push_back(At(s, 8 + i % 4, 6 + i / 4, name.c_str()));
    }
    Seed(saved);
    for (const char* way : {"中断", "hung", "closed"}) {
        SCOPED_TRACE(way);
        StartSnapping(start);
        e2e::RunningApp app;
        ASSERT_TRUE(app.main());
        const std::string w = way;
        if (w == "hung") {
            ASSERT_TRUE(td->Hang(60));  // past the reading (53 messages), in a glide
        }
        app.Select(0);
        driver::ClickButton(app.main(), IDC_FUN_RESTORE);
        if (w == "中断") {
            ASSERT_TRUE(e2e::WaitForSets(*td, 1));
            driver::ClickButton(app.main(), IDC_FUN_RESTORE);
            ASSERT_TRUE(e2e::WaitForButtons(app.main(), Buttons::kLineSelected, 30000));
        } else if (w == "hung") {
            ASSERT_TRUE(td->WaitUntilHung(10000));
            Sleep(4000);  // past the held message's time-out, within the switch back's
            td->Resume();
            ASSERT_TRUE(e2e::WaitForButtons(app.main(), Buttons::kLineSelected, 30000));
        } else {
            ASSERT_TRUE(e2e::WaitForSets(*td, 1));
            driver::PostClose(app.main());
            ASSERT_TRUE(app.WaitForExit(20000));
        }
        EXPECT_TRUE(e2e::WaitFor([&] { return Snaps(); }, 5000));
        const std::vector<std::string> log = td->StyleLog();
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log.front(), "exstyle 0x00080000 0x00000000");
        EXPECT_EQ(log.back(), "exstyle 0x00080000 0x00080000");
        if (w != "closed") {
            EXPECT_TRUE(app.Close());
        }
    }
}

// A desktop that does not snap is never switched; restoring the same layout twice on
// one that does keeps the arrangement of before the first restore.
TEST_F(SnappingE2E, SwitchedOnlyWhereItSnapsAndTheFirstSnapshotStays) {
    const Spacing s = StartSnapping({});
    const std::vector<TestItem> start = {At(s, 1, 1, "a"), At(s, 2, 1, "b")};
    // Saved a few pixels off the grid (a layout from a desktop that did not snap): a
    // desktop that snapped during the moves would put them on its grid points, and the
    // second restore would count as moving them and replace the first one's snapshot.
    std::vector<TestItem> saved = {At(s, 4, 2, "a"), At(s, 5, 3, "b")};
    for (TestItem& item : saved) item.x += 5, item.y += 3;
    Seed(saved);
    StartSnapping(start, false);
    {
        e2e::RunningApp app;
        ASSERT_TRUE(app.main());
        Restore(app, IDC_RESTORE);
        ExpectAt(saved);
        for (const std::string& line : td->StyleLog())
            EXPECT_EQ(line.rfind("exstyle", 0), std::string::npos) << line;
        EXPECT_TRUE(app.Close());
    }
    Seed(saved);
    StartSnapping(start);
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    Restore(app, IDC_RESTORE);
    Restore(app, IDC_FUN_RESTORE);
    ExpectAt(saved);
    ASSERT_EQ(app.Lines(), (std::vector<std::wstring>{L"home", e2e::kSnapshotTitle}));
    app.Select(1);
    driver::ClickButton(app.main(), IDC_RESTORE);
    ASSERT_TRUE(e2e::WaitForButtons(app.main(), Buttons::kRestoring, 5000));
    ASSERT_TRUE(e2e::WaitForButtons(app.main(), Buttons::kLineSelected, 30000));
    ExpectAt(start);
    EXPECT_TRUE(app.Close());
}

// Auto arrange, with the shell's view object: はい takes it off in the view object's
// folder flags and on the list view, and restores; a desktop that goes on arranging
// moves nothing and says so.
TEST_F(SnappingE2E, AutoArrangeOffInTheShellsSettingAndTheListView) {
    const testdesk::ViewObjectRegistration registration;
    ASSERT_TRUE(registration.Ok());
    const std::vector<TestItem> start = {{0, 0, "a"}, {100, 0, "b"}};
    const std::vector<TestItem> saved = {{10, 200, "a"}, {300, 10, "b"}};
    for (const bool keeps : {false, true}) {
        SCOPED_TRACE(keeps ? "keeps arranging" : "agrees");
        Seed(saved);
        testdesk::TestDesktopOptions options;
        options.autoArrange = true;
        options.keepsArranging = keeps;
        options.viewObject = testdesk::ViewObjectMode::kSameOrder;
        StartDesktop(start, options);
        ASSERT_NE(td->FolderFlags() & FWF_AUTOARRANGE, 0u);
        e2e::RunningApp app;
        ASSERT_TRUE(app.main());
        app.Select(0);
        driver::ClickButton(app.main(), IDC_FUN_RESTORE);
        ASSERT_TRUE(app.AnswerBox(e2e::kAppCaption, 5000, IDYES).has_value());
        if (keeps) {
            const auto text = app.AnswerBox(e2e::kAppCaption, 20000);
            ASSERT_TRUE(text.has_value());
            EXPECT_NE(text->find(L"[アイコンの自動整列] をオフにしてから"), std::wstring::npos);
            EXPECT_TRUE(td->SetPositionLog().empty());
            EXPECT_EQ(app.Lines(), std::vector<std::wstring>{L"home"});
        } else {
            ASSERT_TRUE(e2e::WaitForSets(*td, 2));
            ASSERT_TRUE(e2e::WaitForButtons(app.main(), Buttons::kLineSelected, 30000));
            ExpectAt(saved);
            EXPECT_EQ(td->FolderFlags() & FWF_AUTOARRANGE, 0u);
            EXPECT_EQ(td->ListViewStyle() & LVS_AUTOARRANGE, 0u);
        }
        EXPECT_TRUE(app.Close());
    }
}

}  // namespace

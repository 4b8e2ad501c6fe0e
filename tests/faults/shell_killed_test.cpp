// The shell dies in the middle of a capture or a restore (its process is terminated):
// TORVINEL.EXE neither crashes nor hangs. A capture fails: it stores nothing and says
// so (a layout of nameless icons all at one place would be a failure reported as
// success); a restore ends, posts its completion and the dialog goes idle; at exit the
// layouts are saved.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/e2e/harness/app.h"
#include "tests/e2e/harness/buttons.h"
#include "tests/e2e/harness/fixture.h"
#include "tests/e2e/harness/grids.h"
#include "tests/e2e/harness/probes.h"
#include "tests/e2e/harness/registry.h"
#include "tests/e2e/harness/waits.h"
#include "ui/resource.h"

namespace {

using testdesk::TestDesktop;
using ShellKilled = e2e::Fixture;

// Enough icons that a capture or a restore lasts a good second under Wine.
constexpr int kIcons = 3000;

// The program still answers, shows no box, and exits cleanly when closed.
void ExpectAnswersAndExitsCleanly(const e2e::RunningApp& app) {
    EXPECT_TRUE(e2e::Answers(app.main()));
    EXPECT_EQ(driver::FindDialog(app.process().id(), e2e::kAppCaption), nullptr);
    EXPECT_TRUE(app.Close());
}

TEST_F(ShellKilled, CaptureFailsAndStoresNothing) {
    const e2e::IconGrid grid = e2e::MakeGrid(kIcons, 0);
    e2e::SeedLayouts({{L"kept", grid.saved}});
    const e2e::LayoutValues seeded = e2e::ReadLayoutValues();
    TestDesktop shell(grid.items);
    ASSERT_TRUE(shell.Ready());
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());

    ASSERT_TRUE(app.PressRemember(L"cut short"));
    Sleep(300);  // the capture reads about 2,000 icons a second
    ASSERT_TRUE(e2e::KillProcess(shell.ProcessId()));

    EXPECT_EQ(app.AnswerBox(e2e::kAppCaption, 20000), L"失敗しました。ゴメン。");
    EXPECT_EQ(app.Lines(), std::vector<std::wstring>{L"kept"});
    ExpectAnswersAndExitsCleanly(app);
    EXPECT_EQ(e2e::ReadLayoutValues(), seeded);
}

TEST_F(ShellKilled, RestoreEndsAndTheDialogGoesIdle) {
    const e2e::IconGrid grid = e2e::MakeGrid(kIcons, 7);
    struct Case {
        const char* name;
        bool win98;  // the 9x worker, against the desktop that emulates its shared block
        int button;
    };
    for (const Case& c :
         {Case{"instant", false, IDC_RESTORE}, Case{"animated", false, IDC_FUN_RESTORE},
          Case{"instant 98", true, IDC_RESTORE}, Case{"animated 98", true, IDC_FUN_RESTORE}}) {
        SCOPED_TRACE(c.name);
        // Both layouts and the snapshot of before the restore are kept.
        const e2e::LayoutValues expected = e2e::SeedHomeAndOther(grid, c.win98);
        testdesk::TestDesktopOptions options;
        options.emulate9x = c.win98;
        TestDesktop shell(grid.items, options);
        ASSERT_TRUE(shell.Ready());
        shell.ClearSetPositionLog();
        e2e::RunningApp app(c.win98 ? e2e::StartAs::kWin98 : e2e::StartAs::kNt);
        ASSERT_TRUE(app.main());

        app.Select(0);
        driver::ClickButton(app.main(), c.button);
        ASSERT_TRUE(e2e::WaitForSets(shell, 1));
        ASSERT_TRUE(e2e::KillProcess(shell.ProcessId()));
        const size_t sets = shell.SetPositionLog().size();
        std::printf("%s: position sets before the kill: %zu\n", c.name, sets);
        EXPECT_LT(sets, static_cast<size_t>(kIcons)) << "the restore had ended already";

        // Idle again: the four buttons with their idle labels, all enabled (line 0 is
        // still selected).
        ASSERT_TRUE(e2e::WaitForButtons(app.main(), e2e::Buttons::kLineSelected, 20000))
            << "the dialog stays busy";
        ExpectAnswersAndExitsCleanly(app);
        EXPECT_EQ(e2e::ReadLayoutValues(), expected);
    }
}

}  // namespace

// The shell dies in the middle of a capture or a restore (its process is terminated):
// TORVINEL.EXE neither crashes nor hangs. A capture stores what its reads gave (a read
// of the dead view gives an empty text and keeps the previous position); a restore ends,
// posts its completion and the dialog goes idle; at exit the layouts are saved.
#include <gtest/gtest.h>

#include <cstdio>

#include "store/layout_store.h"
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
using testdesk::TestItem;
using ShellKilled = e2e::Fixture;

// Enough icons that a capture or a restore lasts a good second under Wine.
constexpr int kIcons = 3000;

// The program still answers, shows no box, and exits cleanly when closed.
void ExpectAnswersAndExitsCleanly(const e2e::RunningApp& app) {
    EXPECT_TRUE(e2e::Answers(app.main()));
    EXPECT_EQ(driver::FindDialog(app.process().id(), e2e::kAppCaption), nullptr);
    EXPECT_TRUE(app.Close());
}

TEST_F(ShellKilled, CaptureStoresWhatTheReadsGave) {
    const e2e::IconGrid grid = e2e::MakeGrid(kIcons, 0);
    TestDesktop shell(grid.items);
    ASSERT_TRUE(shell.Ready());
    const std::vector<TestItem> before = shell.Items();  // the places the list view took
    ASSERT_EQ(before.size(), grid.items.size());
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());

    ASSERT_TRUE(app.PressRemember(L"cut short"));
    Sleep(300);  // the capture reads about 2,000 icons a second
    ASSERT_TRUE(e2e::KillProcess(shell.ProcessId()));

    ASSERT_TRUE(e2e::WaitForLines(app.main(), 1, 20000)) << "the capture was not listed";
    ExpectAnswersAndExitsCleanly(app);

    // Every item counted at the start has an entry; those read before the kill are
    // complete, the rest have no name and the last place that was read.
    ASSERT_EQ(e2e::ReadTitles(), std::vector<std::wstring>{L"cut short"});
    ASSERT_EQ(e2e::ReadDword(L"Pos", L"Number[0]"), static_cast<DWORD>(kIcons));
    auto name = [](int j) {
        return e2e::ReadString(L"Pos", L"Name[0][" + std::to_wstring(j) + L"]").value_or(L"?");
    };
    auto pos = [](int j) {
        return e2e::ReadDword(L"Pos", L"Pos[0][" + std::to_wstring(j) + L"]").value_or(1);
    };
    auto placeOf = [&](int j) { return PackIconPos(before[j].x, before[j].y); };
    int read = 0;
    while (read < kIcons &&
           name(read) == std::wstring(before[read].text.begin(), before[read].text.end()))
        ++read;
    std::printf("read before the kill: %d of %d icons\n", read, kIcons);
    ASSERT_GT(read, 0) << "killed before the first read";
    ASSERT_LT(read, kIcons) << "killed after the last read: not in the middle";
    for (int j = 0; j + 1 < read; ++j) ASSERT_EQ(pos(j), placeOf(j)) << j;
    // The kill may fall between the last text and its position.
    const DWORD last = pos(read - 1);
    EXPECT_TRUE(last == placeOf(read - 1) || (read > 1 && last == placeOf(read - 2)));
    for (int j = read; j < kIcons; ++j) {
        ASSERT_EQ(name(j), L"") << j;
        ASSERT_EQ(pos(j), last) << j;
    }
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
        e2e::SeedLayouts({{L"home", grid.saved}, {L"other", {{PackIconPos(1, 1), L"x"}}}});
        const e2e::LayoutValues seeded = e2e::ReadLayoutValues();
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
        EXPECT_EQ(e2e::ReadLayoutValues(), seeded);
    }
}

}  // namespace

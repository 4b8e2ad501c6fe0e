// Closing the dialog while a restore runs, many times over: the worker ends before the
// process does (an animated restore stops at its next step, an instant one runs to its
// end), the process exits with its usual code, nothing reaches the shell afterwards,
// and the saved layouts are written back unchanged.
#include <gtest/gtest.h>

#include <cstdio>

#include "store/layout_store.h"
#include "tests/faults/faults_fixture.h"
#include "ui/resource.h"

namespace {

using testdesk::TestDesktop;

class CloseDuringRestore : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::SetWin98(false);
        e2e::DeleteLayouts();
    }
    void TearDown() override {
        e2e::DeleteLayouts();
        testdesk::CloseRunningTestDesktops();
    }

    struct Moves {
        size_t atClose = 0;  // seen when the close was sent
        size_t atExit = 0;
    };

    // Starts the program, restores line 0 with `button`, closes the dialog once the
    // shell has seen `setsBeforeClose` moves; returns the moves seen.
    static Moves RestoreAndClose(const TestDesktop& shell, int button, size_t setsBeforeClose) {
        Moves moves;
        shell.ClearSetPositionLog();
        e2e::RunningApp app;
        EXPECT_TRUE(app.main());
        if (!app.main()) return moves;
        driver::SelectListLine(app.main(), IDC_LAYOUT_LIST, 0);
        driver::ClickButton(app.main(), button);
        EXPECT_TRUE(faults::WaitFor(
            [&] { return shell.SetPositionLog().size() >= setsBeforeClose; }, 20000));
        driver::PostClose(app.main());
        moves.atClose = shell.SetPositionLog().size();
        DWORD code = 1;
        EXPECT_TRUE(app.process().WaitForExit(30000, &code)) << "hangs at exit";
        EXPECT_EQ(code, 0u);
        moves.atExit = shell.SetPositionLog().size();
        Sleep(50);
        EXPECT_EQ(shell.SetPositionLog().size(), moves.atExit) << "moves after the exit";
        return moves;
    }
};

TEST_F(CloseDuringRestore, AnimatedStopsAtItsNextStep) {
    // One icon with a glide of 20,000 steps: every close lands in the middle of it.
    e2e::SeedLayouts({{L"home", {{PackIconPos(20000, 0), L"far"}}}});
    const e2e::LayoutValues seeded = e2e::ReadLayoutValues();
    TestDesktop shell({{0, 0, "far"}});
    ASSERT_TRUE(shell.Ready());
    const int repeats = faults::Repeats(20, 100);
    for (int i = 0; i < repeats; ++i) {
        SCOPED_TRACE(i);
        EXPECT_LT(RestoreAndClose(shell, IDC_FUN_RESTORE, 2).atExit, 20000u);
        EXPECT_EQ(e2e::ReadLayoutValues(), seeded);
        if (HasFailure()) break;
    }
    EXPECT_LT(shell.Items().at(0).x, 20000);  // never reached the target
}

TEST_F(CloseDuringRestore, InstantRunsToItsEnd) {
    constexpr int kIcons = 300;
    const faults::IconGrid grid = faults::MakeGrid(kIcons, 7);
    e2e::SeedLayouts({{L"home", grid.saved}});
    const e2e::LayoutValues seeded = e2e::ReadLayoutValues();
    TestDesktop shell(grid.items);
    ASSERT_TRUE(shell.Ready());
    const int repeats = faults::Repeats(20, 100);
    int midway = 0;  // closes sent while the restore still ran
    for (int i = 0; i < repeats; ++i) {
        SCOPED_TRACE(i);
        const Moves moves = RestoreAndClose(shell, IDC_RESTORE, 2);
        EXPECT_EQ(moves.atExit, static_cast<size_t>(kIcons));
        if (moves.atClose < static_cast<size_t>(kIcons)) ++midway;
        EXPECT_EQ(e2e::ReadLayoutValues(), seeded);
        if (HasFailure()) break;
    }
    std::printf("%d of %d closes came in the middle of the restore\n", midway, repeats);
    EXPECT_GT(midway, repeats / 2);
}

}  // namespace

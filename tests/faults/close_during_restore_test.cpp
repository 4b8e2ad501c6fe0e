// Closing the dialog while a restore runs, many times over: the worker ends before the
// process does (an animated restore stops at its next step, an instant one runs to its
// end), the process exits with its usual code, nothing reaches the shell afterwards,
// and the saved layouts are written back unchanged.
#include <gtest/gtest.h>

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

    // Starts the program, restores line 0 with `button`, closes the dialog once the
    // shell has seen `setsBeforeClose` moves; returns the moves seen by the exit.
    static size_t RestoreAndClose(const TestDesktop& shell, int button, size_t setsBeforeClose) {
        shell.ClearSetPositionLog();
        e2e::RunningApp app;
        EXPECT_TRUE(app.main());
        if (!app.main()) return 0;
        driver::SelectListLine(app.main(), IDC_LAYOUT_LIST, 0);
        driver::ClickButton(app.main(), button);
        EXPECT_TRUE(faults::WaitFor(
            [&] { return shell.SetPositionLog().size() >= setsBeforeClose; }, 20000));
        driver::PostClose(app.main());
        DWORD code = 1;
        EXPECT_TRUE(app.process().WaitForExit(30000, &code)) << "hangs at exit";
        EXPECT_EQ(code, 0u);
        const size_t atExit = shell.SetPositionLog().size();
        Sleep(50);
        EXPECT_EQ(shell.SetPositionLog().size(), atExit) << "moves after the exit";
        return atExit;
    }
};

TEST_F(CloseDuringRestore, AnimatedStopsAtItsNextStep) {
    // One icon with a glide of 20,000 steps: every close lands in the middle of it.
    e2e::SeedLayouts({{L"home", {{PackIconPos(20000, 0), L"far"}}}});
    const faults::RegistrySnapshot seeded = faults::SnapshotLayouts();
    TestDesktop shell({{0, 0, "far"}});
    ASSERT_TRUE(shell.Ready());
    const int repeats = faults::Repeats(20, 100);
    for (int i = 0; i < repeats; ++i) {
        SCOPED_TRACE(i);
        const size_t moves = RestoreAndClose(shell, IDC_FUN_RESTORE, 2);
        EXPECT_LT(moves, 20000u);
        EXPECT_EQ(faults::SnapshotLayouts(), seeded);
        if (HasFailure()) break;
    }
    EXPECT_LT(shell.Items().at(0).x, 20000);  // never reached the target
}

TEST_F(CloseDuringRestore, InstantRunsToItsEnd) {
    constexpr int kIcons = 300;
    const faults::IconGrid grid = faults::MakeGrid(kIcons, 7);
    e2e::SeedLayouts({{L"home", grid.saved}});
    const faults::RegistrySnapshot seeded = faults::SnapshotLayouts();
    TestDesktop shell(grid.items);
    ASSERT_TRUE(shell.Ready());
    const int repeats = faults::Repeats(20, 100);
    for (int i = 0; i < repeats; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(RestoreAndClose(shell, IDC_RESTORE, 2), static_cast<size_t>(kIcons));
        EXPECT_EQ(faults::SnapshotLayouts(), seeded);
        if (HasFailure()) break;
    }
}

}  // namespace

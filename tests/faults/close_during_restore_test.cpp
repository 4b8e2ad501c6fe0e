// Closing the dialog while a restore runs, many times over: the worker ends before the
// process does (an animated restore stops at its next step, an instant one runs to its
// end and leaves every icon home), the process exits with its usual code, nothing
// reaches the shell afterwards, and the saved layouts are written back unchanged but for
// the snapshot of before the restore.
#include <gtest/gtest.h>

#include <cstdio>

#include "store/layout_store.h"
#include "tests/e2e/harness/app.h"
#include "tests/e2e/harness/fixture.h"
#include "tests/e2e/harness/grids.h"
#include "tests/e2e/harness/probes.h"
#include "tests/e2e/harness/registry.h"
#include "tests/e2e/harness/waits.h"
#include "ui/resource.h"

namespace {

using testdesk::TestDesktop;

constexpr size_t kGridIcons = 300;
constexpr int kFar = 20000;

struct Moves {
    size_t atClose = 0;  // seen when the close was sent
    size_t atExit = 0;
};

// Starts the program, restores line 0 with `button`, closes the dialog once the shell
// has seen two moves; returns the moves seen.
Moves RestoreAndClose(const TestDesktop& shell, int button) {
    Moves moves;
    shell.ClearSetPositionLog();
    e2e::RunningApp app;
    EXPECT_TRUE(app.main());
    if (!app.main()) return moves;
    app.Select(0);
    driver::ClickButton(app.main(), button);
    EXPECT_TRUE(e2e::WaitForSets(shell, 2));
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

// Every icon stands at its saved place, or, where the screen does not show that place
// (the grid runs past the screen's right edge), on the screen.
void ExpectEveryIconPlaced(const std::vector<testdesk::TestItem>& now,
                           const std::vector<e2e::SeedIcon>& saved) {
    ASSERT_EQ(now.size(), saved.size());
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    std::vector<testdesk::TestItem> shown;
    std::vector<e2e::SeedIcon> shownSaved;
    for (size_t i = 0; i < now.size(); ++i) {
        int32_t x = 0, y = 0;
        UnpackIconPos(saved[i].packedPos, x, y);
        if (x < cx && y < cy) {
            shown.push_back(now[i]);
            shownSaved.push_back(saved[i]);
        } else {
            EXPECT_TRUE(now[i].x < cx && now[i].y < cy) << "icon " << i << " left off the screen";
        }
    }
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(e2e::Misplaced(shown, shownSaved), std::vector<size_t>{});
}

struct Way {
    const char* name;
    int button;
};
void PrintTo(const Way& way, std::ostream* os) { *os << way.name; }

class CloseDuringRestore : public e2e::Fixture, public ::testing::WithParamInterface<Way> {
protected:
    bool Animated() const { return GetParam().button == IDC_FUN_RESTORE; }
};

TEST_P(CloseDuringRestore, WorkerEndsFirstAndTheLayoutsAreSaved) {
    // Instant: icons on a grid whose saved places lie 7 pixels off. Animated: one icon
    // far off the screen with a glide of 20,000 steps home, so every close lands in the
    // middle of it.
    const e2e::IconGrid grid =
        Animated() ? e2e::IconGrid{{{kFar, 0, "far"}}, {{PackIconPos(0, 0), L"far"}}}
                   : e2e::MakeGrid(kGridIcons, 7);
    const e2e::SeedLayout home{L"home", grid.saved}, other = e2e::OtherLayout();
    e2e::SeedLayouts({home, other});
    TestDesktop shell(grid.items);
    ASSERT_TRUE(shell.Ready());
    const int repeats = e2e::Repeats(20, 100);
    int midway = 0;  // instant: closes sent while the restore still ran
    // The layouts are saved with the snapshot of before the last restore that moved an
    // icon: instant, the first (later ones find every icon home); animated, each.
    std::vector<e2e::SeedIcon> before = e2e::SavedPlaces(shell.Items(), 0);
    for (int i = 0; i < repeats; ++i) {
        SCOPED_TRACE(i);
        if (Animated()) before = e2e::SavedPlaces(shell.Items(), 0);
        const Moves moves = RestoreAndClose(shell, GetParam().button);
        if (Animated()) {
            EXPECT_LT(moves.atExit, static_cast<size_t>(kFar));
            const std::vector<testdesk::SetPositionRecord> log = shell.SetPositionLog();
            ASSERT_FALSE(log.empty());
            EXPECT_NE(log.back().x, 0) << "the glide's final set came";
        } else {
            EXPECT_EQ(moves.atExit, kGridIcons) << "the instant restore did not run to its end";
            if (moves.atClose < kGridIcons) ++midway;
            ExpectEveryIconPlaced(shell.Items(), grid.saved);
        }
        EXPECT_EQ(e2e::ReadLayoutValues(),
                  e2e::ValuesOf({home, other, {e2e::kSnapshotTitle, before}}));
        if (HasFailure()) break;
    }
    if (Animated()) {
        EXPECT_GT(shell.Items().at(0).x, 0);  // never reached the target
    } else {
        std::printf("%d of %d closes came in the middle of the restore\n", midway, repeats);
        EXPECT_GT(midway, repeats / 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, CloseDuringRestore,
                         ::testing::Values(Way{"Instant", IDC_RESTORE},
                                           Way{"Animated", IDC_FUN_RESTORE}),
                         [](const ::testing::TestParamInfo<Way>& info) { return info.param.name; });

}  // namespace

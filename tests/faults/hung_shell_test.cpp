// The shell stops answering in the middle of a capture or a restore (it holds a
// list-view message and looks at nothing else): the dialog answers again within the
// time-out of one message, a capture says it failed and stores nothing, a restore ends
// and the dialog goes idle, a close ends the process with its layouts saved. When the
// shell wakes, the message it held is answered into memory that is still allocated (a
// freed block would make the real shell write into freed memory), and it works on.
#include <gtest/gtest.h>

#include "tests/e2e/harness/app.h"
#include "tests/e2e/harness/buttons.h"
#include "tests/e2e/harness/fixture.h"
#include "tests/e2e/harness/grids.h"
#include "tests/e2e/harness/probes.h"
#include "tests/e2e/harness/registry.h"
#include "tests/e2e/harness/waits.h"
#include "ui/resource.h"

namespace {

using testdesk::LateAnswer;
using testdesk::TestDesktop;
using HungShell = e2e::Fixture;

constexpr int kIcons = 40;
// Far beyond one message's time-out (3 s), yet short of a frozen dialog.
constexpr DWORD kAnswersAgainMs = 15000;

// Lets the shell go; its held message was answered as `late` says, and it answers again.
void ExpectShellUnharmedAfterResume(const TestDesktop& shell, LateAnswer late) {
    shell.Resume();
    EXPECT_EQ(shell.Items().size(), static_cast<size_t>(kIcons)) << "the shell does not answer";
    EXPECT_EQ(shell.LateAnswerOfHeldMessage(), late);
}

TEST_F(HungShell, CaptureFailsAndTheDialogAnswersAgain) {
    const e2e::IconGrid grid = e2e::MakeGrid(kIcons, 0);
    e2e::SeedLayouts({{L"kept", grid.saved}});
    const e2e::LayoutValues seeded = e2e::ReadLayoutValues();
    TestDesktop shell(grid.items);
    ASSERT_TRUE(shell.Ready());
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());

    // The count, then count, text, count, position per icon: the 11th is a text read.
    ASSERT_TRUE(shell.Hang(10));
    ASSERT_TRUE(app.PressRemember(L"hung"));
    ASSERT_TRUE(shell.WaitUntilHung(10000)) << "the capture never reached the shell";
    EXPECT_EQ(app.AnswerBox(e2e::kAppCaption, kAnswersAgainMs), L"失敗しました。ゴメン。")
        << "no failure box while the shell hangs";
    EXPECT_TRUE(e2e::Answers(app.main()));
    EXPECT_EQ(app.Lines(), std::vector<std::wstring>{L"kept"});

    ExpectShellUnharmedAfterResume(shell, LateAnswer::kLanded);
    EXPECT_TRUE(app.Close());
    EXPECT_EQ(e2e::ReadLayoutValues(), seeded);
}

// The press sends the shell nothing: a shell that holds the restore's first message
// (the worker's) leaves the dialog busy at once and answering; after the time-out it is
// idle with the failure box, nothing moved and nothing kept.
TEST_F(HungShell, ARestoreWhoseReadingHangsFailsAndMovesNothing) {
    const e2e::IconGrid grid = e2e::MakeGrid(kIcons, 7);
    for (const bool win98 : {false, true}) {
        SCOPED_TRACE(win98 ? "98" : "NT");
        e2e::SeedHomeAndOther(grid, win98);
        const e2e::LayoutValues seeded = e2e::ReadLayoutValues();
        testdesk::TestDesktopOptions options;
        options.emulate9x = win98;
        TestDesktop shell(grid.items, options);
        ASSERT_TRUE(shell.Ready());
        e2e::RunningApp app(win98 ? e2e::StartAs::kWin98 : e2e::StartAs::kNt);
        ASSERT_TRUE(app.main());

        ASSERT_TRUE(shell.Hang(0));
        app.Select(0);
        const ULONGLONG pressed = GetTickCount64();
        driver::ClickButton(app.main(), IDC_FUN_RESTORE);
        EXPECT_TRUE(e2e::WaitForButtons(app.main(), e2e::Buttons::kRestoring, 1500))
            << "the press waits on the shell";
        EXPECT_LT(GetTickCount64() - pressed, 1500u);
        EXPECT_TRUE(e2e::Answers(app.main()));
        ASSERT_TRUE(shell.WaitUntilHung(10000)) << "the restore never reached the shell";
        EXPECT_EQ(app.AnswerBox(e2e::kAppCaption, kAnswersAgainMs), L"失敗しました。ゴメン。");
        EXPECT_TRUE(e2e::WaitForButtons(app.main(), e2e::Buttons::kLineSelected, 5000));
        EXPECT_EQ(app.Lines(), (std::vector<std::wstring>{L"home", L"other"}));

        shell.Resume();
        EXPECT_TRUE(shell.SetPositionLog().empty()) << "an icon moved";
        EXPECT_TRUE(app.Close());
        EXPECT_EQ(e2e::ReadLayoutValues(), seeded);
    }
}

struct RestoreCase {
    const char* name;
    bool win98;
    int button;
    int hangAfter;    // which message is held
    LateAnswer late;  // what becomes of it: a read answers into the block
};

TEST_F(HungShell, RestoreEndsAndTheDialogGoesIdle) {
    const e2e::IconGrid grid = e2e::MakeGrid(kIcons, 7);
    // The worker reads the desktop first: the snapping, the count, then count, text,
    // count, position per icon (the 98 scheme: one position per icon), the icon spacing.
    // Then NT: count, text, set per icon (instant) or count, text, count, position,
    // steps (animated); the cases hold a text or a position read. 98: sets, or a position
    // and steps.
    const int ntReading = 1 + 1 + 4 * kIcons + 1, reading98 = 1 + 1 + kIcons + 1;
    for (const RestoreCase& c : {
             RestoreCase{"instant", false, IDC_RESTORE, ntReading + 10, LateAnswer::kLanded},
             RestoreCase{"animated", false, IDC_FUN_RESTORE, ntReading + 3, LateAnswer::kLanded},
             RestoreCase{"instant 98", true, IDC_RESTORE, reading98 + 6, LateAnswer::kNone},
             RestoreCase{"animated 98", true, IDC_FUN_RESTORE, reading98 + 4, LateAnswer::kNone},
         }) {
        SCOPED_TRACE(c.name);
        // Both layouts and the snapshot of before the restore are kept.
        const e2e::LayoutValues expected = e2e::SeedHomeAndOther(grid, c.win98);
        testdesk::TestDesktopOptions options;
        options.emulate9x = c.win98;
        TestDesktop shell(grid.items, options);
        ASSERT_TRUE(shell.Ready());
        e2e::RunningApp app(c.win98 ? e2e::StartAs::kWin98 : e2e::StartAs::kNt);
        ASSERT_TRUE(app.main());

        ASSERT_TRUE(shell.Hang(c.hangAfter));
        app.Select(0);
        driver::ClickButton(app.main(), c.button);
        ASSERT_TRUE(shell.WaitUntilHung(10000)) << "the restore never reached the shell";
        EXPECT_TRUE(e2e::WaitForButtons(app.main(), e2e::Buttons::kLineSelected, kAnswersAgainMs))
            << "the dialog stays busy while the shell hangs";
        EXPECT_TRUE(e2e::Answers(app.main()));
        EXPECT_EQ(driver::FindDialog(app.process().id(), e2e::kAppCaption), nullptr);

        ExpectShellUnharmedAfterResume(shell, c.late);
        EXPECT_TRUE(app.Close());
        EXPECT_EQ(e2e::ReadLayoutValues(), expected);
    }
}

TEST_F(HungShell, ClosingWhileTheShellHangsEndsTheProcessWithTheLayoutsSaved) {
    const e2e::IconGrid grid = e2e::MakeGrid(kIcons, 7);
    e2e::SeedLayouts({{L"home", grid.saved}});
    TestDesktop shell(grid.items);
    ASSERT_TRUE(shell.Ready());
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    // A capture first, so that the close has something new to save.
    ASSERT_TRUE(app.Remember(L"new"));

    // After the worker's reading (snapping, count, four per icon, spacing), in the moves.
    ASSERT_TRUE(shell.Hang(1 + 1 + 4 * kIcons + 1 + 10));  // a text read
    app.Select(0);
    driver::ClickButton(app.main(), IDC_RESTORE);
    ASSERT_TRUE(shell.WaitUntilHung(10000));
    driver::PostClose(app.main());
    DWORD code = 1;
    EXPECT_TRUE(app.process().WaitForExit(kAnswersAgainMs, &code)) << "the process waits on";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(e2e::ReadTitles(), (std::vector<std::wstring>{L"home", L"new", e2e::kSnapshotTitle}));

    ExpectShellUnharmedAfterResume(shell, LateAnswer::kLanded);
}

}  // namespace

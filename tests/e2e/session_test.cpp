// Runs and sessions of the real TORVINEL.EXE: what the user captured survives a log-off
// with the dialog open (Wine's own end of session, and the two messages sent by hand
// before the process is ended), and a second start under the same name neither runs
// beside the first nor writes over it: it brings the first to the front and ends, or,
// when the first is closing, waits for its save and then lists what it saved.
#include <gtest/gtest.h>

#include <optional>

#include "store/layout_store.h"
#include "tests/e2e/harness/app.h"
#include "tests/e2e/harness/fixture.h"
#include "tests/e2e/harness/grids.h"
#include "tests/e2e/harness/registry.h"
#include "tests/e2e/harness/waits.h"
#include "ui/resource.h"

namespace {

using e2e::RunningApp;
using testdesk::TestDesktop;

constexpr int kIcons = 12;

class Session : public e2e::Fixture {
protected:
    // The layout "old" stored, the test desktop and the program running, and "new"
    // captured in it (not saved yet); the saved places lie `offset` pixels off.
    void StartAndCapture(int offset) {
        app.reset();
        shell.reset();
        grid = e2e::MakeGrid(kIcons, offset);
        e2e::SeedLayouts({{L"old", grid.saved}});
        shell.emplace(grid.items);
        ASSERT_TRUE(shell->Ready());
        app.emplace();
        ASSERT_TRUE(app->main());
        ASSERT_TRUE(app->Remember(L"new"));
    }
    // Restores line 0 (the saved places) with `button`; returns once the shell is held
    // at its `hangAfter`th message from now, or has seen a move when `hangAfter` < 0.
    void Restore(int button, int hangAfter = -1) {
        if (hangAfter >= 0) {
            ASSERT_TRUE(shell->Hang(hangAfter));
        }
        app->Select(0);
        driver::ClickButton(app->main(), button);
        if (hangAfter >= 0) {
            ASSERT_TRUE(shell->WaitUntilHung(10000));
        } else {
            ASSERT_TRUE(e2e::WaitForSets(*shell, 1));
        }
    }

    e2e::IconGrid grid;
    std::optional<TestDesktop> shell;
    std::optional<RunningApp> app;
};

const std::vector<std::wstring> kOldAndNew{L"old", L"new"};

// Runs a Windows program of Wine's with arguments and waits for it.
bool RunAndWait(std::wstring commandLine, DWORD timeoutMs) {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    CloseHandle(pi.hThread);
    const bool ended = WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(pi.hProcess);
    return ended;
}

TEST_F(Session, EndOfSessionByWineSavesWhatWasCaptured) {
    ASSERT_NO_FATAL_FAILURE(StartAndCapture(0));
    // Query, end, then every process with a window is ended.
    ASSERT_TRUE(RunAndWait(L"wineboot.exe -e", 60000));
    EXPECT_TRUE(app->WaitForExit(20000));
    EXPECT_EQ(e2e::ReadTitles(), kOldAndNew);
}

TEST_F(Session, EndOfSessionMessagesSaveBeforeTheProcessIsEnded) {
    for (const bool restoring : {false, true}) {
        SCOPED_TRACE(restoring ? "while an animated restore runs" : "idle");
        ASSERT_NO_FATAL_FAILURE(StartAndCapture(7));
        if (restoring) {
            ASSERT_NO_FATAL_FAILURE(Restore(IDC_FUN_RESTORE));
        }

        DWORD_PTR answer = 0;
        ASSERT_TRUE(SendMessageTimeoutW(app->main(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG,
                                        5000, &answer));
        EXPECT_EQ(answer, TRUE) << "the session end is refused";
        ASSERT_TRUE(SendMessageTimeoutW(app->main(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000,
                                        &answer))
            << "the dialog does not answer the end of the session";
        app->process().Terminate();
        ASSERT_TRUE(app->WaitForExit(5000));
        // A restore keeps the arrangement before it: saved too.
        const std::vector<std::wstring> withSnapshot{L"old", L"new", e2e::kSnapshotTitle};
        EXPECT_EQ(e2e::ReadTitles(), restoring ? withSnapshot : kOldAndNew);
    }
}

// The dialog closed, or the session ended, while the worker still reads the desktop (the
// shell holds a message of the reading and answers it a moment later): the worker's
// reading is refused, no icon moves, no arrangement is kept, nothing hangs.
TEST_F(Session, ClosedOrEndedWhileTheRestoreReadsMovesNothing) {
    for (const bool close : {true, false}) {
        SCOPED_TRACE(close ? "closed" : "session ended");
        ASSERT_NO_FATAL_FAILURE(StartAndCapture(7));
        shell->ClearSetPositionLog();
        // The snapping, the count, then four per icon: held in the middle of the reading.
        ASSERT_NO_FATAL_FAILURE(Restore(IDC_RESTORE, 2 + 4 * kIcons / 2));
        if (close) {
            driver::PostClose(app->main());
        } else {
            DWORD_PTR answer = 0;
            ASSERT_TRUE(SendMessageTimeoutW(app->main(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG,
                                            5000, &answer));
            ASSERT_TRUE(SendMessageTimeoutW(app->main(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG,
                                            5000, &answer));
        }
        Sleep(500);  // the close (or the save) is under way; the reading goes on
        shell->Resume();
        if (close) {
            EXPECT_TRUE(app->WaitForExit(10000)) << "the process waits on";
        } else {
            Sleep(2000);
            app->process().Terminate();
            ASSERT_TRUE(app->WaitForExit(5000));
        }
        EXPECT_TRUE(shell->SetPositionLog().empty()) << "an icon moved";
        EXPECT_EQ(e2e::ReadTitles(), kOldAndNew);
    }
}

TEST_F(Session, SecondStartShowsTheFirstAndEndsWithoutWritingOverIt) {
    ASSERT_NO_FATAL_FAILURE(StartAndCapture(0));
    HWND first = app->main();
    driver::PostSysCommand(first, SC_MINIMIZE);
    ASSERT_TRUE(e2e::WaitFor([&] { return IsIconic(first) != 0; }, 5000));

    const driver::Process second = driver::Start(e2e::TorvinelExePath());
    ASSERT_TRUE(second);
    DWORD code = 1;
    EXPECT_TRUE(second.WaitForExit(10000, &code)) << "the second copy runs on";
    EXPECT_EQ(driver::FindDialog(second.id(), driver::kMainCaption), nullptr);
    EXPECT_TRUE(e2e::WaitFor([&] { return !IsIconic(first); }, 5000))
        << "the first copy was not brought back";
    EXPECT_EQ(GetForegroundWindow(), first);

    // The first copy works on, and what it captured before and after is saved.
    ASSERT_TRUE(app->Remember(L"after"));
    ASSERT_TRUE(app->Close());
    EXPECT_EQ(e2e::ReadTitles(), (std::vector<std::wstring>{L"old", L"new", L"after"}));
}

TEST_F(Session, StartWhileTheFirstIsClosingListsWhatTheFirstSaved) {
    ASSERT_NO_FATAL_FAILURE(StartAndCapture(7));
    // A restore held by a hung shell keeps the first copy closing for a few seconds
    // (held after the launch's reading: the count, four per icon, the spacing).
    ASSERT_NO_FATAL_FAILURE(Restore(IDC_RESTORE, 1 + 4 * kIcons + 1 + 8));
    driver::PostClose(app->main());
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(app->main()); }, 5000));
    ASSERT_FALSE(app->WaitForExit(0)) << "the first copy closed too fast for this test";

    RunningApp second;
    ASSERT_TRUE(second.main());
    EXPECT_TRUE(app->WaitForExit(0)) << "the second copy did not wait for the first";
    EXPECT_EQ(second.Lines(), (std::vector<std::wstring>{L"old", L"new", e2e::kSnapshotTitle}));
    shell->Resume();
    EXPECT_TRUE(second.Close());
}

}  // namespace

// Runs and sessions of the real TORVINEL.EXE: what the user captured survives a log-off
// with the dialog open (Wine's own end of session, and the two messages sent by hand
// before the process is ended), and a second start under the same name neither runs
// beside the first nor writes over it: it brings the first to the front and ends, or,
// when the first is closing, waits for its save and then lists what it saved.
#include <gtest/gtest.h>

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
using Session = e2e::Fixture;

constexpr int kIcons = 12;

// Remembers the desktop under `title` and waits until the new line is listed.
::testing::AssertionResult Remember(const RunningApp& app, const std::wstring& title) {
    const size_t before = app.Lines().size();
    if (!app.PressRemember(title)) return ::testing::AssertionFailure() << "no title dialog";
    if (!e2e::WaitForLines(app.main(), before + 1))
        return ::testing::AssertionFailure() << "no new line";
    return ::testing::AssertionSuccess();
}

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
    const e2e::IconGrid grid = e2e::MakeGrid(kIcons, 0);
    e2e::SeedLayouts({{L"old", grid.saved}});
    TestDesktop shell(grid.items);
    ASSERT_TRUE(shell.Ready());
    RunningApp app;
    ASSERT_TRUE(app.main());
    ASSERT_TRUE(Remember(app, L"new"));

    // Query, end, then every process with a window is ended.
    ASSERT_TRUE(RunAndWait(L"wineboot.exe -e", 60000));
    EXPECT_TRUE(app.WaitForExit(20000));
    EXPECT_EQ(e2e::ReadTitles(), (std::vector<std::wstring>{L"old", L"new"}));
}

TEST_F(Session, EndOfSessionMessagesSaveBeforeTheProcessIsEnded) {
    const e2e::IconGrid grid = e2e::MakeGrid(kIcons, 7);
    for (const bool restoring : {false, true}) {
        SCOPED_TRACE(restoring ? "while an animated restore runs" : "idle");
        e2e::SeedLayouts({{L"old", grid.saved}});
        TestDesktop shell(grid.items);
        ASSERT_TRUE(shell.Ready());
        RunningApp app;
        ASSERT_TRUE(app.main());
        ASSERT_TRUE(Remember(app, L"new"));
        if (restoring) {
            app.Select(0);
            driver::ClickButton(app.main(), IDC_FUN_RESTORE);
            ASSERT_TRUE(e2e::WaitForSets(shell, 1));
        }

        DWORD_PTR answer = 0;
        ASSERT_TRUE(SendMessageTimeoutW(app.main(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG,
                                        5000, &answer));
        EXPECT_EQ(answer, TRUE) << "the session end is refused";
        ASSERT_TRUE(SendMessageTimeoutW(app.main(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000,
                                        &answer))
            << "the dialog does not answer the end of the session";
        app.process().Terminate();
        ASSERT_TRUE(app.WaitForExit(5000));
        EXPECT_EQ(e2e::ReadTitles(), (std::vector<std::wstring>{L"old", L"new"}));
    }
}

TEST_F(Session, SecondStartShowsTheFirstAndEndsWithoutWritingOverIt) {
    const e2e::IconGrid grid = e2e::MakeGrid(kIcons, 0);
    e2e::SeedLayouts({{L"old", grid.saved}});
    TestDesktop shell(grid.items);
    ASSERT_TRUE(shell.Ready());
    RunningApp first;
    ASSERT_TRUE(first.main());
    ASSERT_TRUE(Remember(first, L"before"));
    driver::PostSysCommand(first.main(), SC_MINIMIZE);
    ASSERT_TRUE(e2e::WaitFor([&] { return IsIconic(first.main()) != 0; }, 5000));

    const driver::Process second = driver::Start(e2e::TorvinelExePath());
    ASSERT_TRUE(second);
    DWORD code = 1;
    EXPECT_TRUE(second.WaitForExit(10000, &code)) << "the second copy runs on";
    EXPECT_EQ(driver::FindDialog(second.id(), driver::kMainCaption), nullptr);
    EXPECT_TRUE(e2e::WaitFor([&] { return !IsIconic(first.main()); }, 5000))
        << "the first copy was not brought back";
    EXPECT_EQ(GetForegroundWindow(), first.main());

    // The first copy works on, and what it captured before and after is saved.
    ASSERT_TRUE(Remember(first, L"after"));
    ASSERT_TRUE(first.Close());
    EXPECT_EQ(e2e::ReadTitles(), (std::vector<std::wstring>{L"old", L"before", L"after"}));
}

TEST_F(Session, StartWhileTheFirstIsClosingListsWhatTheFirstSaved) {
    const e2e::IconGrid grid = e2e::MakeGrid(kIcons, 7);
    e2e::SeedLayouts({{L"old", grid.saved}});
    TestDesktop shell(grid.items);
    ASSERT_TRUE(shell.Ready());
    RunningApp first;
    ASSERT_TRUE(first.main());
    ASSERT_TRUE(Remember(first, L"new"));
    // A restore held by a hung shell keeps the first copy closing for a few seconds.
    ASSERT_TRUE(shell.Hang(8));
    first.Select(0);
    driver::ClickButton(first.main(), IDC_RESTORE);
    ASSERT_TRUE(shell.WaitUntilHung(10000));
    driver::PostClose(first.main());
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(first.main()); }, 5000));
    ASSERT_FALSE(first.WaitForExit(0)) << "the first copy closed too fast for this test";

    RunningApp second;
    ASSERT_TRUE(second.main());
    EXPECT_TRUE(first.WaitForExit(0)) << "the second copy did not wait for the first";
    EXPECT_EQ(second.Lines(), (std::vector<std::wstring>{L"old", L"new"}));
    shell.Resume();
    EXPECT_TRUE(second.Close());
}

}  // namespace

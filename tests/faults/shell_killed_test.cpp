// The shell dies in the middle of a capture or a restore (its process is terminated):
// TORVINEL.EXE neither crashes nor hangs. A capture fails: it stores nothing and says
// so (a layout of nameless icons all at one place would be a failure reported as
// success); a restore ends, posts its completion and the dialog goes idle; at exit the
// layouts are saved.
#include <gtest/gtest.h>

#include <cstdio>

#include "store/layout_store.h"
#include "tests/faults/faults_fixture.h"
#include "ui/resource.h"

namespace {

using testdesk::TestDesktop;
using testdesk::TestItem;

// Enough icons that a capture or a restore lasts a good second under Wine.
constexpr int kIcons = 3000;
const wchar_t kTitleCaption[] = L"タイトルの入力";

class ShellKilled : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::SetWin98(false);
        e2e::DeleteLayouts();
    }
    void TearDown() override {
        e2e::SetWin98(false);
        e2e::DeleteLayouts();
        testdesk::CloseRunningTestDesktops();
    }

    // The program still answers, shows no box, and exits cleanly when closed.
    static void ExpectAnswersAndExitsCleanly(const e2e::RunningApp& app) {
        EXPECT_TRUE(faults::Answers(app.main()));
        EXPECT_EQ(driver::FindDialog(app.process().id(), L"TORVINEL"), nullptr);
        driver::PostClose(app.main());
        DWORD code = 1;
        ASSERT_TRUE(app.process().WaitForExit(30000, &code)) << "hangs at exit";
        EXPECT_EQ(code, 0u);
    }
};

TEST_F(ShellKilled, CaptureFailsAndStoresNothing) {
    const faults::IconGrid grid = faults::MakeGrid(kIcons, 0);
    e2e::SeedLayouts({{L"kept", grid.saved}});
    TestDesktop shell(grid.items);
    ASSERT_TRUE(shell.Ready());
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());

    driver::ClickButton(app.main(), IDC_REMEMBER);
    HWND dlg = app.WaitForBox(kTitleCaption);
    ASSERT_TRUE(dlg);
    SetDlgItemTextW(dlg, IDC_TITLE, L"cut short");
    driver::ClickButton(dlg, IDOK);
    ASSERT_TRUE(driver::WaitForClose(dlg));
    Sleep(300);  // the capture reads about 2,000 icons a second
    ASSERT_TRUE(faults::KillProcess(shell.ProcessId()));

    HWND failed = app.WaitForBox(L"TORVINEL", 20000);
    ASSERT_TRUE(failed) << "no failure box";
    EXPECT_EQ(driver::ReadMessageBoxText(failed), L"失敗しました。ゴメン。");
    driver::ClickButton(failed, IDOK);
    ASSERT_TRUE(driver::WaitForClose(failed));
    EXPECT_EQ(driver::ReadListLines(app.main(), IDC_LAYOUT_LIST),
              std::vector<std::wstring>{L"kept"});
    ExpectAnswersAndExitsCleanly(app);
    EXPECT_EQ(e2e::ReadTitles(), std::vector<std::wstring>{L"kept"});
    EXPECT_EQ(e2e::ReadDword(L"Pos", L"Number[0]"), static_cast<DWORD>(kIcons));
}

TEST_F(ShellKilled, RestoreEndsAndTheDialogGoesIdle) {
    const faults::IconGrid grid = faults::MakeGrid(kIcons, 7);
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
        e2e::RunningApp app(c.win98);
        ASSERT_TRUE(app.main());

        driver::SelectListLine(app.main(), IDC_LAYOUT_LIST, 0);
        driver::ClickButton(app.main(), c.button);
        ASSERT_TRUE(faults::WaitFor([&] { return !shell.SetPositionLog().empty(); }, 20000));
        ASSERT_TRUE(faults::KillProcess(shell.ProcessId()));
        const size_t sets = shell.SetPositionLog().size();
        std::printf("%s: position sets before the kill: %zu\n", c.name, sets);
        EXPECT_LT(sets, static_cast<size_t>(kIcons)) << "the restore had ended already";

        // Idle again: the four buttons with their idle labels, all enabled (line 0 is
        // still selected). UpdateButtons sets them one after the other.
        auto idle = [&] {
            return driver::ReadButton(app.main(), IDC_REMEMBER).enabled &&
                   driver::ReadButton(app.main(), IDC_RESTORE).text == L"位置を元通りにする" &&
                   driver::ReadButton(app.main(), IDC_FUN_RESTORE).text == L"楽しく元に戻す" &&
                   driver::ReadButton(app.main(), IDC_DELETE).enabled;
        };
        ASSERT_TRUE(faults::WaitFor(idle, 20000)) << "the dialog stays busy";
        ExpectAnswersAndExitsCleanly(app);
        EXPECT_EQ(e2e::ReadLayoutValues(), seeded);
    }
}

}  // namespace

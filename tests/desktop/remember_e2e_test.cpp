// The remember command of the real TORVINEL.EXE under Wine, against the test desktop:
// capture into the list and the registry, the overwrite question (and the old layout
// kept when the capture after it fails), the empty desktop, no desktop at all, and the
// 9x scheme against the emulating desktop.
#include <gtest/gtest.h>

#include <optional>

#include "store/layout_store.h"
#include "tests/e2e/harness/app.h"
#include "tests/e2e/harness/fixture.h"
#include "tests/e2e/harness/registry.h"
#include "tests/e2e/harness/waits.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "ui/resource.h"
#include "win/unique_handle.h"

namespace {

using e2e::kAppCaption;
using e2e::kCautionCaption;
using e2e::RunningApp;
using testdesk::TestDesktop;
using testdesk::TestItem;

// CP932 bytes (this file is compiled with the ANSI code page as execution charset).
const std::vector<TestItem> kIcons = {{40, 30, "ごみ箱"},
                                      {-50, -20, "Readme.txt"},
                                      {900, 700, "マイ コンピュータ"},
                                      {120, 30, "Readme.txt"}};

class RememberE2e : public e2e::Fixture {
protected:
    // The layout at `index` in the registry, as entries.
    static void ExpectStoredIcons(int index, const std::vector<TestItem>& icons, bool names) {
        const std::wstring i = std::to_wstring(index);
        ASSERT_EQ(e2e::ReadDword(L"Pos", L"Number[" + i + L"]"), icons.size());
        for (size_t j = 0; j < icons.size(); ++j) {
            SCOPED_TRACE(j);
            const std::wstring ij = L"[" + i + L"][" + std::to_wstring(j) + L"]";
            EXPECT_EQ(e2e::ReadDword(L"Pos", L"Pos" + ij), PackIconPos(icons[j].x, icons[j].y));
            const std::optional<std::wstring> name = e2e::ReadString(L"Pos", L"Name" + ij);
            ASSERT_TRUE(name.has_value());
            if (!names) {
                EXPECT_EQ(*name, L"");
                continue;
            }
            // Compare as the program stored it: ANSI (CP932) bytes.
            char bytes[256] = {};
            WideCharToMultiByte(CP_ACP, 0, name->c_str(), -1, bytes, sizeof bytes, nullptr,
                                nullptr);
            EXPECT_EQ(std::string(bytes), icons[j].text);
        }
    }
};

TEST_F(RememberE2e, CapturesEveryIconIntoANewLastLineAndTheRegistry) {
    TestDesktop shell(kIcons);
    ASSERT_TRUE(shell.Ready());
    RunningApp app;
    ASSERT_TRUE(app.main());
    ASSERT_TRUE(app.Remember(L"ホーム 1280x1024"));
    ASSERT_TRUE(app.Remember(L""));  // an empty title is listed as an empty line
    EXPECT_EQ(app.Lines(), (std::vector<std::wstring>{L"ホーム 1280x1024", L""}));
    EXPECT_EQ(app.Selection(), -1);
    EXPECT_TRUE(shell.SetPositionLog().empty());  // reading moves nothing
    ASSERT_TRUE(app.Close());

    EXPECT_EQ(e2e::ReadTitles(), (std::vector<std::wstring>{L"ホーム 1280x1024", L""}));
    ExpectStoredIcons(0, kIcons, true);
    ExpectStoredIcons(1, kIcons, true);
}

TEST_F(RememberE2e, OverwriteNoShowsTheTitleAgainAndYesMovesTheLayoutToTheEnd) {
    TestDesktop shell(kIcons);
    ASSERT_TRUE(shell.Ready());
    RunningApp app;
    ASSERT_TRUE(app.main());
    for (const wchar_t* t : {L"A", L"B", L"C"}) ASSERT_TRUE(app.Remember(t));

    // No: the title dialog again, with what was typed; Cancel there changes nothing.
    ASSERT_TRUE(app.PressRemember(L"B"));
    HWND box = app.WaitForBox(kCautionCaption);
    ASSERT_TRUE(box);
    EXPECT_EQ(driver::ReadMessageBoxText(box), L"同じタイトルがあります。上書きしますか？");
    EXPECT_EQ(GetWindow(box, GW_OWNER), app.main());
    EXPECT_EQ(GetDlgItem(box, IDYES) != nullptr && GetDlgItem(box, IDNO) != nullptr, true);
    driver::AnswerMessageBox(box, IDNO);
    HWND again = app.WaitForBox(driver::kTitleCaption);
    ASSERT_TRUE(again);
    wchar_t text[64] = {};
    GetDlgItemTextW(again, IDC_TITLE, text, 64);
    EXPECT_STREQ(text, L"B");
    driver::ClickButton(again, IDCANCEL);
    ASSERT_TRUE(driver::WaitForClose(again));
    EXPECT_EQ(app.Lines(), (std::vector<std::wstring>{L"A", L"B", L"C"}));

    // Yes: the old layout goes, the new one comes last.
    shell.ClearSetPositionLog();
    ASSERT_TRUE(app.PressRemember(L"B"));
    box = app.WaitForBox(kCautionCaption);
    ASSERT_TRUE(box);
    driver::AnswerMessageBox(box, IDYES);
    ASSERT_TRUE(driver::WaitForClose(box));
    const std::vector<std::wstring> after{L"A", L"C", L"B"};
    e2e::WaitFor([&] { return app.Lines() == after; }, 10000);
    EXPECT_EQ(app.Lines(), after);
    ASSERT_TRUE(app.Close());

    EXPECT_EQ(e2e::ReadTitles(), after);
    ExpectStoredIcons(2, kIcons, true);
}

// Yes to the overwrite question, then the capture ends without a layout: the old one
// is still listed, and still stored after the close.
TEST_F(RememberE2e, OverwriteYesKeepsTheOldLayoutWhenTheCaptureFails) {
    struct Case {
        const char* name;
        bool desktop;
        std::vector<TestItem> icons;
        int dieAfter;        // the shell dies in the middle of the capture
        const wchar_t* box;  // what the program says, or nullptr for nothing
    };
    for (const Case& c : {
             Case{"no desktop", false, {}, -1, nullptr},
             Case{"no icons", true, {}, -1, L"ショートカットがありません"},
             Case{"the shell dies", true, kIcons, 6, L"失敗しました。ゴメン。"},
         }) {
        SCOPED_TRACE(c.name);
        std::vector<e2e::SeedIcon> old{{PackIconPos(3, 4), L"old"}};
        e2e::SeedLayouts({{L"A", old}, {L"B", old}});
        const e2e::LayoutValues seeded = e2e::ReadLayoutValues();
        testdesk::CloseRunningTestDesktops();
        std::optional<TestDesktop> shell;
        if (c.desktop) {
            testdesk::TestDesktopOptions options;
            options.dieAfter = c.dieAfter;
            shell.emplace(c.icons, options);
            ASSERT_TRUE(shell->Ready());
        }
        RunningApp app;
        ASSERT_TRUE(app.main());

        ASSERT_TRUE(app.PressRemember(L"A"));
        HWND box = app.WaitForBox(kCautionCaption);
        ASSERT_TRUE(box);
        driver::AnswerMessageBox(box, IDYES);
        ASSERT_TRUE(driver::WaitForClose(box));
        const std::optional<std::wstring> said = app.AnswerBox(kAppCaption, c.box ? 10000 : 1000);
        if (c.box)
            EXPECT_EQ(said, c.box);
        else
            EXPECT_EQ(said, std::nullopt);
        EXPECT_EQ(app.Lines(), (std::vector<std::wstring>{L"A", L"B"}));
        ASSERT_TRUE(app.Close());
        EXPECT_EQ(e2e::ReadLayoutValues(), seeded);
    }
}

TEST_F(RememberE2e, EmptyDesktopSaysThereAreNoShortcuts) {
    TestDesktop shell({});
    ASSERT_TRUE(shell.Ready());
    RunningApp app;
    ASSERT_TRUE(app.main());
    ASSERT_TRUE(app.PressRemember(L"empty"));
    EXPECT_EQ(app.AnswerBox(kAppCaption), L"ショートカットがありません");
    EXPECT_TRUE(app.Lines().empty());
    // Nothing was stored: the same title raises no overwrite question.
    ASSERT_TRUE(app.PressRemember(L"empty"));
    HWND box = app.WaitForBox(kAppCaption);
    ASSERT_TRUE(box);
    EXPECT_EQ(driver::FindDialog(app.process().id(), kCautionCaption), nullptr);
    driver::AnswerMessageBox(box, IDOK);
    EXPECT_TRUE(app.Close());
}

TEST_F(RememberE2e, NoDesktopEndsSilently) {
    testdesk::CloseRunningTestDesktops();
    RunningApp app;
    ASSERT_TRUE(app.main());
    ASSERT_TRUE(app.PressRemember(L"nowhere"));
    // No box comes, and the dialog takes the next command at once.
    EXPECT_EQ(app.WaitForBox(kAppCaption, 1000), nullptr);
    EXPECT_TRUE(app.Lines().empty());
    driver::ClickButton(app.main(), IDC_REMEMBER);
    HWND dlg = app.WaitForBox(driver::kTitleCaption);
    ASSERT_TRUE(dlg);
    driver::ClickButton(dlg, IDCANCEL);
    ASSERT_TRUE(driver::WaitForClose(dlg));
    EXPECT_TRUE(app.Close());
}

TEST_F(RememberE2e, FailedOpenSaysSorryAndTheTitleStaysUnlisted) {
    TestDesktop shell(kIcons);
    ASSERT_TRUE(shell.Ready());
    // Another kind of object under the block's name: CreateFileMappingA fails.
    win::UniqueHandle squatter(CreateMutexA(nullptr, FALSE, "TORVINEL"));
    ASSERT_TRUE(squatter);
    RunningApp app(e2e::StartAs::kWin98);
    ASSERT_TRUE(app.main());
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(app.PressRemember(L"same"));
        // The second time the same title raises no overwrite question: it is not counted.
        EXPECT_EQ(app.AnswerBox(kAppCaption), L"失敗しました。ゴメン。");
        EXPECT_EQ(driver::FindDialog(app.process().id(), kCautionCaption), nullptr);
        EXPECT_TRUE(app.Lines().empty());
    }
    ASSERT_TRUE(app.Close());
    EXPECT_TRUE(e2e::ReadTitles().empty());  // only counted layouts are saved
}

TEST_F(RememberE2e, Win98SchemeStoresPositionsWithEmptyNames) {
    testdesk::TestDesktopOptions options;
    options.emulate9x = true;
    TestDesktop shell(kIcons, options);
    ASSERT_TRUE(shell.Ready());
    RunningApp app(e2e::StartAs::kWin98);
    ASSERT_TRUE(app.main());

    ASSERT_TRUE(app.Remember(L"98"));
    EXPECT_EQ(driver::FindDialog(app.process().id(), kAppCaption), nullptr);  // no failure box
    ASSERT_TRUE(app.Close());

    ExpectStoredIcons(0, kIcons, false);
}

}  // namespace

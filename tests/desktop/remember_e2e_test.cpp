// The remember command of the real TORVINEL.EXE under Wine, against the test desktop:
// capture into the list and the registry, the overwrite question, the empty desktop,
// no desktop at all, and the 9x scheme against the emulating desktop.
#include <gtest/gtest.h>

#include "win/unique_handle.h"
#include "tests/e2e/harness.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "ui/resource.h"

namespace {

using e2e::RunningApp;
using testdesk::TestDesktop;
using testdesk::TestItem;

const wchar_t kTitleCaption[] = L"タイトルの入力";
const wchar_t kCautionCaption[] = L"ご注意！";
const wchar_t kAppCaption[] = L"TORVINEL";

// CP932 bytes (this file is compiled with the ANSI code page as execution charset).
const std::vector<TestItem> kIcons = {{40, 30, "ごみ箱"},
                                      {-50, -20, "Readme.txt"},
                                      {900, 700, "マイ コンピュータ"},
                                      {120, 30, "Readme.txt"}};

uint32_t Packed(int32_t x, int32_t y) {
    return (static_cast<uint32_t>(y) & 0xFFFF) << 16 | (static_cast<uint32_t>(x) & 0xFFFF);
}

std::vector<std::wstring> ListLines(HWND main) {
    return driver::ReadListLines(main, IDC_LAYOUT_LIST);
}

bool WaitForLineCount(HWND main, size_t n, DWORD timeoutMs = 10000) {
    for (DWORD waited = 0;; waited += 20) {
        if (ListLines(main).size() == n) return true;
        if (waited >= timeoutMs) return false;
        Sleep(20);
    }
}

// Presses remember and types the title into the title dialog; returns once the title
// dialog has closed (the capture then runs on the program's interface thread).
::testing::AssertionResult EnterTitle(const RunningApp& app, const std::wstring& title,
                                      bool clickRemember = true) {
    if (clickRemember) driver::ClickButton(app.main(), IDC_REMEMBER);
    HWND dlg = app.WaitForBox(kTitleCaption);
    if (!dlg) return ::testing::AssertionFailure() << "no title dialog";
    SetDlgItemTextW(dlg, IDC_TITLE, title.c_str());
    driver::ClickButton(dlg, IDOK);
    if (!driver::WaitForClose(dlg)) return ::testing::AssertionFailure() << "title dialog stays";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Remember(const RunningApp& app, const std::wstring& title) {
    const size_t before = ListLines(app.main()).size();
    auto entered = EnterTitle(app, title);
    if (!entered) return entered;
    if (!WaitForLineCount(app.main(), before + 1))
        return ::testing::AssertionFailure() << "no line";
    return ::testing::AssertionSuccess();
}

void CloseApp(RunningApp& app) {
    driver::PostClose(app.main());
    EXPECT_TRUE(app.WaitForExit());
}

class RememberE2e : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::SetWin98(false);
        Persists();  // the probe uses the registry: before any test writes it
        e2e::DeleteLayouts();
    }
    void TearDown() override {
        e2e::SetWin98(false);
        e2e::DeleteLayouts();
        testdesk::CloseRunningTestDesktops();
    }

    // Whether the EXE loads and saves its layouts yet: a seeded title shows in the list.
    static bool Persists() {
        static const bool persists = [] {
            e2e::SeedLayouts({{L"probe", {{0, L"x"}}}});
            RunningApp app;
            const bool listed = app.main() && ListLines(app.main()).size() == 1;
            if (app.main()) CloseApp(app);
            e2e::DeleteLayouts();
            return listed;
        }();
        return persists;
    }

    // The layout at `index` in the registry, as entries.
    static void ExpectStoredIcons(int index, const std::vector<TestItem>& icons, bool names) {
        const std::wstring i = std::to_wstring(index);
        ASSERT_EQ(e2e::ReadDword(L"Pos", L"Number[" + i + L"]"), icons.size());
        for (size_t j = 0; j < icons.size(); ++j) {
            SCOPED_TRACE(j);
            const std::wstring ij = L"[" + i + L"][" + std::to_wstring(j) + L"]";
            EXPECT_EQ(e2e::ReadDword(L"Pos", L"Pos" + ij), Packed(icons[j].x, icons[j].y));
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
    ASSERT_TRUE(Remember(app, L"ホーム 1280x1024"));
    ASSERT_TRUE(Remember(app, L""));  // an empty title is listed as an empty line
    EXPECT_EQ(ListLines(app.main()), (std::vector<std::wstring>{L"ホーム 1280x1024", L""}));
    EXPECT_EQ(driver::ReadListSelection(app.main(), IDC_LAYOUT_LIST), -1);
    EXPECT_TRUE(shell.SetPositionLog().empty());  // reading moves nothing
    CloseApp(app);

    if (!Persists()) GTEST_SKIP() << "TORVINEL.EXE does not save its layouts yet";
    EXPECT_EQ(e2e::ReadTitles(), (std::vector<std::wstring>{L"ホーム 1280x1024", L""}));
    ExpectStoredIcons(0, kIcons, true);
    ExpectStoredIcons(1, kIcons, true);
}

TEST_F(RememberE2e, OverwriteNoShowsTheTitleAgainAndYesMovesTheLayoutToTheEnd) {
    TestDesktop shell(kIcons);
    ASSERT_TRUE(shell.Ready());
    RunningApp app;
    ASSERT_TRUE(app.main());
    for (const wchar_t* t : {L"A", L"B", L"C"}) ASSERT_TRUE(Remember(app, t));

    // No: the title dialog again, with what was typed; Cancel there changes nothing.
    ASSERT_TRUE(EnterTitle(app, L"B"));
    HWND box = app.WaitForBox(kCautionCaption);
    ASSERT_TRUE(box);
    EXPECT_EQ(driver::ReadMessageBoxText(box), L"同じタイトルがあります。上書きしますか？");
    EXPECT_EQ(GetWindow(box, GW_OWNER), app.main());
    EXPECT_EQ(GetDlgItem(box, IDYES) != nullptr && GetDlgItem(box, IDNO) != nullptr, true);
    driver::AnswerMessageBox(box, IDNO);
    HWND again = app.WaitForBox(kTitleCaption);
    ASSERT_TRUE(again);
    wchar_t text[64] = {};
    GetDlgItemTextW(again, IDC_TITLE, text, 64);
    EXPECT_STREQ(text, L"B");
    driver::ClickButton(again, IDCANCEL);
    ASSERT_TRUE(driver::WaitForClose(again));
    EXPECT_EQ(ListLines(app.main()), (std::vector<std::wstring>{L"A", L"B", L"C"}));

    // Yes: the old layout goes, the new one comes last.
    shell.ClearSetPositionLog();
    ASSERT_TRUE(EnterTitle(app, L"B"));
    box = app.WaitForBox(kCautionCaption);
    ASSERT_TRUE(box);
    driver::AnswerMessageBox(box, IDYES);
    ASSERT_TRUE(driver::WaitForClose(box));
    Sleep(300);
    EXPECT_EQ(ListLines(app.main()), (std::vector<std::wstring>{L"A", L"C", L"B"}));
    CloseApp(app);

    if (!Persists()) GTEST_SKIP() << "TORVINEL.EXE does not save its layouts yet";
    EXPECT_EQ(e2e::ReadTitles(), (std::vector<std::wstring>{L"A", L"C", L"B"}));
    ExpectStoredIcons(2, kIcons, true);
}

TEST_F(RememberE2e, EmptyDesktopSaysThereAreNoShortcuts) {
    TestDesktop shell({});
    ASSERT_TRUE(shell.Ready());
    RunningApp app;
    ASSERT_TRUE(app.main());
    ASSERT_TRUE(EnterTitle(app, L"empty"));
    HWND box = app.WaitForBox(kAppCaption);
    ASSERT_TRUE(box);
    EXPECT_EQ(driver::ReadMessageBoxText(box), L"ショートカットがありません");
    driver::AnswerMessageBox(box, IDOK);
    ASSERT_TRUE(driver::WaitForClose(box));
    EXPECT_TRUE(ListLines(app.main()).empty());
    // Nothing was stored: the same title raises no overwrite question.
    ASSERT_TRUE(EnterTitle(app, L"empty"));
    box = app.WaitForBox(kAppCaption);
    ASSERT_TRUE(box);
    EXPECT_EQ(driver::FindDialog(app.process().id(), kCautionCaption), nullptr);
    driver::AnswerMessageBox(box, IDOK);
    CloseApp(app);
}

TEST_F(RememberE2e, NoDesktopEndsSilently) {
    testdesk::CloseRunningTestDesktops();
    RunningApp app;
    ASSERT_TRUE(app.main());
    ASSERT_TRUE(EnterTitle(app, L"nowhere"));
    // No box comes, and the dialog takes the next command at once.
    EXPECT_EQ(app.WaitForBox(kAppCaption, 1000), nullptr);
    EXPECT_TRUE(ListLines(app.main()).empty());
    driver::ClickButton(app.main(), IDC_REMEMBER);
    HWND dlg = app.WaitForBox(kTitleCaption);
    ASSERT_TRUE(dlg);
    driver::ClickButton(dlg, IDCANCEL);
    ASSERT_TRUE(driver::WaitForClose(dlg));
    CloseApp(app);
}

// Starts TORVINEL.EXE as Windows 98 and answers the platform warning.
HWND StartAs98(driver::Process& process) {
    e2e::SetWin98(true);
    process = driver::Start(e2e::TorvinelExePath());
    HWND warning = process ? driver::WaitForDialog(process.id(), kAppCaption, 10000) : nullptr;
    e2e::SetWin98(false);
    if (!warning) return nullptr;
    driver::AnswerMessageBox(warning, IDOK);
    return driver::WaitForDialog(process.id(), driver::kMainCaption);
}

TEST_F(RememberE2e, FailedOpenSaysSorryAndTheTitleStaysUnlisted) {
    TestDesktop shell(kIcons);
    ASSERT_TRUE(shell.Ready());
    // Another kind of object under the block's name: CreateFileMappingA fails.
    win::UniqueHandle squatter(CreateMutexA(nullptr, FALSE, "TORVINEL"));
    ASSERT_TRUE(squatter);
    driver::Process process;
    HWND main = StartAs98(process);
    ASSERT_TRUE(main);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        driver::ClickButton(main, IDC_REMEMBER);
        HWND dlg = driver::WaitForDialog(process.id(), kTitleCaption);
        ASSERT_TRUE(dlg);
        SetDlgItemTextW(dlg, IDC_TITLE, L"same");
        driver::ClickButton(dlg, IDOK);
        // The second time the same title raises no overwrite question: it is not counted.
        HWND box = driver::WaitForDialog(process.id(), kAppCaption);
        ASSERT_TRUE(box);
        EXPECT_EQ(driver::FindDialog(process.id(), kCautionCaption), nullptr);
        EXPECT_EQ(driver::ReadMessageBoxText(box), L"失敗しました。ゴメン。");
        driver::AnswerMessageBox(box, IDOK);
        ASSERT_TRUE(driver::WaitForClose(box));
        EXPECT_TRUE(ListLines(main).empty());
    }
    driver::PostClose(main);
    EXPECT_TRUE(process.WaitForExit(10000));
    process.Terminate();
    EXPECT_TRUE(e2e::ReadTitles().empty());  // only counted layouts are saved
}

TEST_F(RememberE2e, Win98SchemeStoresPositionsWithEmptyNames) {
    testdesk::TestDesktopOptions options;
    options.emulate9x = true;
    TestDesktop shell(kIcons, options);
    ASSERT_TRUE(shell.Ready());
    driver::Process process;
    HWND main = StartAs98(process);
    ASSERT_TRUE(main);

    driver::ClickButton(main, IDC_REMEMBER);
    HWND dlg = driver::WaitForDialog(process.id(), kTitleCaption);
    ASSERT_TRUE(dlg);
    SetDlgItemTextW(dlg, IDC_TITLE, L"98");
    driver::ClickButton(dlg, IDOK);
    ASSERT_TRUE(WaitForLineCount(main, 1));
    EXPECT_EQ(driver::FindDialog(process.id(), kAppCaption), nullptr);  // no failure box
    driver::PostClose(main);
    EXPECT_TRUE(process.WaitForExit(10000));
    process.Terminate();

    if (!Persists()) GTEST_SKIP() << "TORVINEL.EXE does not save its layouts yet";
    ExpectStoredIcons(0, kIcons, false);
}

}  // namespace

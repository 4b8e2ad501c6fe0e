// The real TORVINEL.EXE under Wine, driven from this process: the main dialog's
// states, deletion, the About box, the platform warning and every way out.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/harness/app.h"
#include "tests/e2e/harness/buttons.h"
#include "tests/e2e/harness/fixture.h"
#include "tests/e2e/harness/registry.h"
#include "ui/resource.h"

namespace {

using e2e::Buttons;
using e2e::RunningApp;
using MainDialog = e2e::Fixture;

const wchar_t kAboutCaption[] = L"ﾊﾞｰｼﾞｮﾝ情報 TORVINEL";

TEST_F(MainDialog, OpensByCaptionAndEndsOnCloseOrCancel) {
    for (bool byCancel : {false, true}) {
        SCOPED_TRACE(byCancel ? "IDCANCEL" : "WM_CLOSE");
        RunningApp app;
        ASSERT_TRUE(app.main());
        if (byCancel) {
            driver::PostCommand(app.main(), IDCANCEL);
            EXPECT_TRUE(app.WaitForExit());
        } else {
            EXPECT_TRUE(app.Close());
        }
    }
}

TEST_F(MainDialog, TemplateStylesAndTaskbarButton) {
    RunningApp app;
    ASSERT_TRUE(app.main());
    const LONG style = GetWindowLongW(app.main(), GWL_STYLE);
    const LONG exStyle = GetWindowLongW(app.main(), GWL_EXSTYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU),
              WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(exStyle & (WS_EX_APPWINDOW | WS_EX_CLIENTEDGE), WS_EX_APPWINDOW | WS_EX_CLIENTEDGE);
    // The list is unsorted, notifies and has no integral height.
    const LONG listStyle = GetWindowLongW(GetDlgItem(app.main(), IDC_LAYOUT_LIST), GWL_STYLE);
    EXPECT_EQ(listStyle & (LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT),
              LBS_NOTIFY | LBS_NOINTEGRALHEIGHT);
    EXPECT_TRUE(GetMenu(app.main()) != nullptr);
    // Buttons stand top to bottom: remember, restore, restore enjoyably, delete, list.
    int lastTop = -1;
    for (int id : {IDC_REMEMBER, IDC_RESTORE, IDC_FUN_RESTORE, IDC_DELETE, IDC_LAYOUT_LIST}) {
        RECT rc;
        GetWindowRect(GetDlgItem(app.main(), id), &rc);
        EXPECT_GT(rc.top, lastTop) << id;
        lastTop = rc.top;
    }
    EXPECT_TRUE(app.Close());
}

TEST_F(MainDialog, EmptyStoreOnlyRememberIsEnabled) {
    RunningApp app;
    ASSERT_TRUE(app.main());
    EXPECT_TRUE(app.Lines().empty());
    EXPECT_EQ(app.Selection(), -1);
    EXPECT_TRUE(e2e::ButtonsAre(app.main(), Buttons::kNothingSelected));
    // Delete with nothing selected does nothing and asks nothing.
    EXPECT_EQ(app.PressDelete(300), nullptr);
    EXPECT_TRUE(app.Close());
}

// The About box by the Help menu and by the system menu (any id 0x10..0x1F); the main
// dialog is disabled while it is open.
TEST_F(MainDialog, AboutBoxByMenuAndSystemMenu) {
    RunningApp app;
    ASSERT_TRUE(app.main());
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        if (way == 0) driver::PostCommand(app.main(), ID_HELP_ABOUT);
        if (way == 1) driver::PostSysCommand(app.main(), IDM_ABOUTBOX);
        if (way == 2) driver::PostSysCommand(app.main(), IDM_ABOUTBOX | 0xF);
        HWND about = app.WaitForBox(kAboutCaption);
        ASSERT_TRUE(about);
        EXPECT_FALSE(driver::IsEnabled(app.main()));
        EXPECT_EQ(driver::ReadButton(about, IDOK).text, L"OK");
        driver::ClickButton(about, IDOK);
        EXPECT_TRUE(driver::WaitForClose(about));
        EXPECT_TRUE(driver::IsEnabled(app.main()));
    }
    EXPECT_TRUE(app.Close());
}

TEST_F(MainDialog, NonNtPlatformWarnsBeforeTheDialogShows) {
    RunningApp app(e2e::StartAs::kWin98AtWarning);
    HWND box = app.warning();
    ASSERT_TRUE(box);
    EXPECT_EQ(driver::FindDialog(app.process().id(), driver::kMainCaption), nullptr);
    EXPECT_EQ(driver::ReadMessageBoxText(box), L"このナラベリオンはNT用なので正常に動作しません。");
    // The application message box adds the exclamation icon to MB_OK.
    EXPECT_NE(SendMessageW(GetDlgItem(box, 0x0440), STM_GETICON, 0, 0), 0);
    EXPECT_TRUE(driver::ReadButton(box, IDOK).enabled);
    ASSERT_TRUE(app.PassWarning());
    EXPECT_TRUE(e2e::ButtonsAre(app.main(), Buttons::kNothingSelected));
    EXPECT_TRUE(app.Close());
}

// Help asks for topic 1 of the help file beside the EXE, by the menu and by F1 (not
// with a modifier held). Wine's help viewer then reports the missing file.
TEST_F(MainDialog, HelpByMenuAndF1) {
    std::wstring helpPath = e2e::TorvinelExePath();
    helpPath.replace(helpPath.size() - 4, 4, L".HLP");
    RunningApp app;
    ASSERT_TRUE(app.main());
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        if (way == 0) driver::PostCommand(app.main(), ID_HELP);
        if (way == 1) driver::PressF1(app.main());
        if (way == 2) driver::PressF1(app.main(), VK_SHIFT);
        HWND viewerBox = driver::WaitForDialog(0, L"エラー", way == 2 ? 1000 : 10000);
        if (way == 2) {
            EXPECT_EQ(viewerBox, nullptr);
            break;
        }
        ASSERT_TRUE(viewerBox);
        EXPECT_NE(driver::ReadMessageBoxText(viewerBox).find(helpPath), std::wstring::npos)
            << "expected " << std::string(helpPath.begin(), helpPath.end());
        driver::AnswerMessageBox(viewerBox, IDNO);
        EXPECT_TRUE(driver::WaitForClose(viewerBox));
    }
    EXPECT_TRUE(app.Close());
}

// The application name, and with it the key of the saved layouts, comes from the
// executable's file name: a copy named x.y.EXE keeps its layouts under "x.y".
TEST_F(MainDialog, RenamedExecutableUsesItsOwnKey) {
    const std::wstring original = e2e::TorvinelExePath();
    const std::wstring copy = original.substr(0, original.rfind(L'\\') + 1) + L"x.y.EXE";
    const std::wstring key = L"Software\\BRANOK Soft\\x.y";
    ASSERT_TRUE(CopyFileW(original.c_str(), copy.c_str(), FALSE));
    e2e::DeleteKeyTree(key);
    {
        RunningApp app(e2e::StartAs::kNt, copy);
        ASSERT_TRUE(app.main());
        EXPECT_TRUE(app.Close());
    }
    EXPECT_TRUE(e2e::KeyExists(key + L"\\Title"));
    EXPECT_FALSE(e2e::KeyExists(e2e::kLayoutsKey));
    e2e::DeleteKeyTree(key);
    DeleteFileW(copy.c_str());
}

}  // namespace

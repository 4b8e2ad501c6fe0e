// The real TORVINEL.EXE under Wine, driven from this process: the main dialog's
// states, deletion, the About box, the platform warning and every way out.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "ui/resource.h"

namespace {

using driver::ButtonState;
using e2e::RunningApp;

const wchar_t kAboutCaption[] = L"ﾊﾞｰｼﾞｮﾝ情報 TORVINEL";
const wchar_t kDeleteCaption[] = L"削除の確認";

class MainDialog : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::SetWin98(false);
        e2e::DeleteLayouts();
    }
    void TearDown() override { e2e::DeleteLayouts(); }

    static void ExpectButtons(HWND dlg, bool selected) {
        const ButtonState remember = driver::ReadButton(dlg, IDC_REMEMBER);
        const ButtonState restore = driver::ReadButton(dlg, IDC_RESTORE);
        const ButtonState fun = driver::ReadButton(dlg, IDC_FUN_RESTORE);
        const ButtonState del = driver::ReadButton(dlg, IDC_DELETE);
        EXPECT_EQ(remember.text, L"位置を覚える");
        EXPECT_TRUE(remember.enabled);
        EXPECT_EQ(restore.text, L"位置を元通りにする");
        EXPECT_EQ(restore.enabled, selected);
        EXPECT_EQ(fun.text, L"楽しく元に戻す");
        EXPECT_EQ(fun.enabled, selected);
        EXPECT_EQ(del.text, L"削除");
        EXPECT_EQ(del.enabled, selected);
    }
};

TEST_F(MainDialog, OpensByCaptionAndEndsOnCloseOrCancel) {
    for (bool byCancel : {false, true}) {
        SCOPED_TRACE(byCancel ? "IDCANCEL" : "WM_CLOSE");
        RunningApp app;
        ASSERT_TRUE(app.main());
        if (byCancel)
            driver::PostCommand(app.main(), IDCANCEL);
        else
            driver::PostClose(app.main());
        EXPECT_TRUE(app.WaitForExit());
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
    driver::PostClose(app.main());
    EXPECT_TRUE(app.WaitForExit());
}

TEST_F(MainDialog, EmptyStoreOnlyRememberIsEnabled) {
    RunningApp app;
    ASSERT_TRUE(app.main());
    EXPECT_TRUE(driver::ReadListLines(app.main(), IDC_LAYOUT_LIST).empty());
    EXPECT_EQ(driver::ReadListSelection(app.main(), IDC_LAYOUT_LIST), -1);
    ExpectButtons(app.main(), false);
    // Delete with nothing selected does nothing and asks nothing.
    driver::ClickButton(app.main(), IDC_DELETE);
    EXPECT_EQ(app.WaitForBox(kDeleteCaption, 300), nullptr);
    driver::PostClose(app.main());
    EXPECT_TRUE(app.WaitForExit());
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
    driver::PostClose(app.main());
    EXPECT_TRUE(app.WaitForExit());
}

TEST_F(MainDialog, NonNtPlatformWarnsBeforeTheDialogShows) {
    e2e::SetWin98(true);
    driver::Process process = driver::Start(e2e::TorvinelExePath());
    ASSERT_TRUE(process);
    HWND box = driver::WaitForDialog(process.id(), L"TORVINEL", 10000);
    e2e::SetWin98(false);
    ASSERT_TRUE(box);
    EXPECT_EQ(driver::FindDialog(process.id(), driver::kMainCaption), nullptr);
    EXPECT_EQ(driver::ReadMessageBoxText(box), L"このナラベリオンはNT用なので正常に動作しません。");
    driver::AnswerMessageBox(box, IDOK);
    HWND dlg = driver::WaitForDialog(process.id(), driver::kMainCaption);
    ASSERT_TRUE(dlg);
    ExpectButtons(dlg, false);
    driver::PostClose(dlg);
    EXPECT_TRUE(process.WaitForExit(10000));
    process.Terminate();
}

}  // namespace

// The main dialog in process: start-up (list in store order, system-menu item, menu
// bar, icons), the busy/idle button table, and the menu handle's single owner.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <vector>

#include "tests/ui/dialog_probe.h"
#include "ui/layout_dlg.h"
#include "ui/resource.h"

namespace {

class ProbeDlg : public CLayoutDlg {
public:
    ProbeDlg() : CLayoutDlg(TestLayouts(), TestVersionRecord()) {}
    std::function<void(ProbeDlg&)> body;  // runs after the dialog's own initialisation
    BOOL initResult = FALSE;

protected:
    BOOL OnInitDialog() override {
        initResult = CLayoutDlg::OnInitDialog();
        if (body) body(*this);
        EndDialog(m_hWnd, IDCANCEL);
        return initResult;
    }
};

struct Button {
    std::string text;
    bool enabled;
    bool operator==(const Button& o) const { return text == o.text && enabled == o.enabled; }
};
std::ostream& operator<<(std::ostream& os, const Button& b) {
    return os << '"' << b.text << (b.enabled ? "\" enabled" : "\" disabled");
}

std::vector<Button> Buttons(HWND dlg) {
    std::vector<Button> out;
    for (int id : {IDC_REMEMBER, IDC_RESTORE, IDC_FUN_RESTORE, IDC_DELETE})
        out.push_back({WindowText(GetDlgItem(dlg, id)), IsWindowEnabled(GetDlgItem(dlg, id)) != 0});
    return out;
}

void UserSelects(CLayoutDlg& d, int line) {
    d.m_list.SetCurSel(line);
    SendMessageA(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_LAYOUT_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(d.m_list.GetSafeHwnd()));
}

class LayoutDlg : public ::testing::Test {
protected:
    void SetUp() override {
        UseTestExecutableAsApp();
        TestLayouts().RemoveAll();
    }
    void TearDown() override { TestLayouts().RemoveAll(); }
};

TEST_F(LayoutDlg, StartUpFillsListMenusAndIcons) {
    for (const char* t : {"B", "A", ""}) {
        const int i = TestLayouts().GetCount();
        TestLayouts().SetTitle(i, t);
        TestLayouts().AddIconXY(i, 1, 2, "icon");
    }
    TestLayouts().SetTitle(3, "uncounted");  // a title without icons is no layout

    ProbeDlg dlg;
    dlg.body = [](ProbeDlg& d) {
        ASSERT_EQ(d.m_list.GetCount(), 3);
        EXPECT_EQ(d.m_list.GetText(0), "B");
        EXPECT_EQ(d.m_list.GetText(1), "A");
        EXPECT_EQ(d.m_list.GetText(2), "");
        EXPECT_EQ(d.m_list.GetCurSel(), -1);
        EXPECT_EQ(WindowText(GetDlgItem(d.m_hWnd, -1)),
                  "ああ、なんて愛想のないウィンドウなんだ(;_;)");

        HMENU sys = GetSystemMenu(d.m_hWnd, FALSE);
        const int n = GetMenuItemCount(sys);
        ASSERT_GE(n, 2);
        EXPECT_EQ(GetMenuItemID(sys, n - 1), static_cast<UINT>(IDM_ABOUTBOX));
        char text[64] = {};
        GetMenuStringA(sys, n - 1, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, "ﾊﾞｰｼﾞｮﾝ情報(TORVINEL) (&A)...");
        EXPECT_TRUE(GetMenuState(sys, n - 2, MF_BYPOSITION) & MF_SEPARATOR);

        HMENU bar = GetMenu(d.m_hWnd);
        ASSERT_TRUE(bar != nullptr);
        EXPECT_EQ(bar, d.m_menu.GetSafeHmenu());
        EXPECT_EQ(GetMenuItemID(GetSubMenu(bar, 0), 0), static_cast<UINT>(ID_FILE_QUIT));
        EXPECT_EQ(GetMenuItemID(GetSubMenu(bar, 1), 0), static_cast<UINT>(ID_HELP));
        EXPECT_EQ(GetMenuItemID(GetSubMenu(bar, 1), 1), static_cast<UINT>(ID_HELP_ABOUT));

        const LRESULT icon = reinterpret_cast<LRESULT>(d.m_hIcon);
        EXPECT_NE(icon, 0);
        EXPECT_EQ(SendMessageA(d.m_hWnd, WM_GETICON, ICON_BIG, 0), icon);
        EXPECT_EQ(SendMessageA(d.m_hWnd, WM_GETICON, ICON_SMALL, 0), icon);
        EXPECT_EQ(SendMessageA(d.m_hWnd, WM_QUERYDRAGICON, 0, 0), icon);
    };
    dlg.DoModal();
    EXPECT_TRUE(dlg.initResult);
}

TEST_F(LayoutDlg, ButtonTableBusyAndIdle) {
    for (const char* t : {"A", "B"}) {
        const int i = TestLayouts().GetCount();
        TestLayouts().SetTitle(i, t);
        TestLayouts().AddIconXY(i, 1, 2, "icon");
    }
    ProbeDlg dlg;
    dlg.body = [](ProbeDlg& d) {
        const std::vector<Button> busy{
            {"位置を覚える", false}, {"もっと速く！！", true}, {"中断", true}, {"削除", false}};
        const std::vector<Button> idleSelected{{"位置を覚える", true},
                                               {"位置を元通りにする", true},
                                               {"楽しく元に戻す", true},
                                               {"削除", true}};
        const std::vector<Button> idleNone{{"位置を覚える", true},
                                           {"位置を元通りにする", false},
                                           {"楽しく元に戻す", false},
                                           {"削除", false}};
        EXPECT_EQ(Buttons(d.m_hWnd), idleNone);
        d.m_bBusy = 1;
        d.UpdateButtons();
        EXPECT_EQ(Buttons(d.m_hWnd), busy);
        UserSelects(d, 1);  // the list stays usable while busy; labels stay busy
        EXPECT_EQ(Buttons(d.m_hWnd), busy);
        d.m_bBusy = 0;
        d.UpdateButtons();
        EXPECT_EQ(Buttons(d.m_hWnd), idleSelected);
        d.m_list.SetCurSel(-1);  // a selection by the program notifies nothing
        EXPECT_EQ(Buttons(d.m_hWnd), idleSelected);
        d.UpdateButtons();
        EXPECT_EQ(Buttons(d.m_hWnd), idleNone);
    };
    dlg.DoModal();
}

// The menu bar is destroyed once, by its owner m_menu, not with the window.
TEST_F(LayoutDlg, MenuOutlivesTheWindowAndDiesWithTheObject) {
    HMENU menu = nullptr;
    {
        ProbeDlg dlg;
        dlg.body = [&](ProbeDlg& d) { menu = GetMenu(d.m_hWnd); };
        dlg.DoModal();
        ASSERT_TRUE(menu != nullptr);
        EXPECT_TRUE(IsMenu(menu));
    }
    EXPECT_FALSE(IsMenu(menu));
}

// The shared words start defined whatever the memory held before: a restore reads
// them before the dialog has written them.
TEST_F(LayoutDlg, AbortAndSpeedStartDefined) {
    alignas(CLayoutDlg) unsigned char storage[sizeof(CLayoutDlg)];
    std::memset(storage, 0xCD, sizeof storage);
    CLayoutDlg* dlg = new (storage) CLayoutDlg(TestLayouts(), TestVersionRecord());
    EXPECT_EQ(dlg->m_nAbort.load(), 0);
    EXPECT_EQ(dlg->m_nSpeed.load(), 1);
    EXPECT_EQ(dlg->m_bBusy, 0);
    dlg->~CLayoutDlg();
}

}  // namespace

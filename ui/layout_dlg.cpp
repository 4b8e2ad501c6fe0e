// The main dialog's start-up, button states, deletion, menus and system menu.
#include "ui/layout_dlg.h"

#include <string>
#include <utility>

#include "ui/about_dlg.h"
#include "ui/resource.h"
#include "win/paint_dc.h"
#include "win/win_app.h"

namespace {
std::string LoadText(UINT id) {
    char buf[256] = {};
    LoadStringA(AfxGetApp()->m_hInstance, id, buf, sizeof buf);
    return buf;
}

void SetButton(HWND dlg, int id, const std::string* text, bool enabled) {
    HWND button = GetDlgItem(dlg, id);
    if (text) SetWindowTextA(button, text->c_str());
    EnableWindow(button, enabled);
}
}  // namespace

CLayoutDlg::CLayoutDlg(CLayoutStore& layouts, OSVERSIONINFOA& osvi, HWND parent)
    : CDialog(IDD_MAIN, parent),
      m_nAbort(0),
      m_bBusy(0),
      m_nSpeed(1),
      m_hIcon(LoadIconA(AfxGetApp()->m_hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_layouts(layouts),
      m_osvi(osvi) {}

CLayoutDlg::~CLayoutDlg() = default;

const MessageMap* CLayoutDlg::GetMessageMap() const {
    using C = CLayoutDlg;
    static const MessageMapEntry entries[] = {
        ON_WM_SYSCOMMAND(C, OnSysCommand),
        ON_MESSAGE_VOID(WM_PAINT, C, OnPaint),
        ON_WM_QUERYDRAGICON(C, OnQueryDragIcon),
        ON_BN_CLICKED(IDC_REMEMBER, C, OnRemember),
        ON_BN_CLICKED(IDC_DELETE, C, OnDelete),
        ON_BN_CLICKED(IDC_RESTORE, C, OnRestore),
        ON_LBN_SELCHANGE(IDC_LAYOUT_LIST, C, OnSelChangeList),
        ON_BN_CLICKED(IDC_FUN_RESTORE, C, OnFunRestore),
        ON_COMMAND(ID_FILE_QUIT, C, OnFileQuit),
        ON_COMMAND(ID_HELP, C, OnHelpTopic),
        ON_COMMAND(ID_HELP_ABOUT, C, OnHelpAbout),
        ON_MESSAGE(WM_RESTORE_DONE, C, OnRestoreDone),
        ON_MESSAGE(WM_RESTORE_BEFORE, C, OnRestoreBefore),
        ON_MESSAGE_VOID(WM_DESTROY, C, OnDestroy),
        ON_MESSAGE(WM_QUERYENDSESSION, C, OnQueryEndSession),
        ON_MESSAGE(WM_ENDSESSION, C, OnEndSession),
        ON_MESSAGE(WM_SHOW_NOTICE, C, OnShowNotice),
    };
    static const MessageMap map{entries, sizeof entries / sizeof entries[0]};
    return &map;
}

BOOL CLayoutDlg::OnInitDialog() {
    m_list.Attach(GetDlgItem(m_hWnd, IDC_LAYOUT_LIST));

    m_osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    GetVersionExA(&m_osvi);
    m_scheme = desktop::SchemeForPlatform(m_osvi.dwPlatformId);
    if (m_osvi.dwPlatformId != VER_PLATFORM_WIN32_NT)
        AfxMessageBox("このナラベリオンはNT用なので正常に動作しません。", MB_OK);

    if (HMENU sysMenu = GetSystemMenu(m_hWnd, FALSE)) {
        const std::string about = LoadText(IDS_ABOUTBOX);
        if (!about.empty()) {
            AppendMenuA(sysMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(sysMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
    }

    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    for (int i = 0; i < m_layouts.GetCount(); ++i) m_list.AddString(m_layouts.GetTitle(i).c_str());

    if (m_menu.LoadMenu(AfxGetApp()->m_hInstance, IDR_MAINMENU))
        SetMenu(m_hWnd, m_menu.GetSafeHmenu());

    OnSelChangeList();
    // Posted: the box comes once the dialog is shown, over it.
    if (!m_strOpeningNotice.empty()) PostMessageA(m_hWnd, WM_SHOW_NOTICE, 0, 0);
    return TRUE;
}

LRESULT CLayoutDlg::OnShowNotice(WPARAM, LPARAM) {
    const std::string notice = std::exchange(m_strOpeningNotice, std::string());
    if (!notice.empty()) AfxMessageBox(notice.c_str(), MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

void CLayoutDlg::UpdateButtons() {
    if (m_bBusy) {
        const std::string faster = LoadText(IDS_FASTER), abort = LoadText(IDS_ABORT);
        SetButton(m_hWnd, IDC_REMEMBER, nullptr, false);
        SetButton(m_hWnd, IDC_RESTORE, &faster, true);
        SetButton(m_hWnd, IDC_FUN_RESTORE, &abort, true);
        SetButton(m_hWnd, IDC_DELETE, nullptr, false);
        return;
    }
    const bool selected = m_list.GetCurSel() >= 0;
    const std::string restore = LoadText(IDS_RESTORE), fun = LoadText(IDS_FUN_RESTORE);
    SetButton(m_hWnd, IDC_REMEMBER, nullptr, true);
    SetButton(m_hWnd, IDC_RESTORE, &restore, selected);
    SetButton(m_hWnd, IDC_FUN_RESTORE, &fun, selected);
    SetButton(m_hWnd, IDC_DELETE, nullptr, selected);
}

void CLayoutDlg::OnSelChangeList() { UpdateButtons(); }

void CLayoutDlg::OnDelete() {
    const int index = m_list.GetCurSel();
    if (index < 0) return;
    const std::string question = m_list.GetText(index) + "を削除します。";
    if (MessageBoxA(m_hWnd, question.c_str(), "削除の確認", MB_YESNO) != IDYES) return;

    m_layouts.RemoveLayout(index);
    m_list.DeleteString(index);
    const int count = m_list.GetCount();
    if (count > index)
        m_list.SetCurSel(index);  // the line that followed the deleted one
    else if (count > 0)
        m_list.SetCurSel(0);
    // Buttons are left as they are: a line stays selected whenever one is left.
}

void CLayoutDlg::OnSysCommand(UINT id, LPARAM) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else {
        Default();
    }
}

void CLayoutDlg::OnPaint() {
    if (!IsIconic(m_hWnd)) return Default();
    win::PaintDC paint(m_hWnd);
    SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.dc()), 0);
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    const int x = (rc.right - rc.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rc.bottom - rc.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(paint.dc(), x, y, m_hIcon);
}

HCURSOR CLayoutDlg::OnQueryDragIcon() { return m_hIcon; }

void CLayoutDlg::OnFileQuit() { PostMessageA(m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0); }

void CLayoutDlg::OnHelpAbout() { PostMessageA(m_hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0); }

void CLayoutDlg::OnHelpTopic() { AfxGetApp()->WinHelp(1, HELP_CONTEXT); }

LRESULT CLayoutDlg::OnQueryEndSession(WPARAM, LPARAM) {
    return TRUE;  // nothing to ask: everything is saved when the session ends
}

LRESULT CLayoutDlg::OnEndSession(WPARAM wParam, LPARAM) {
    if (!wParam) return 0;  // the session goes on
    // The process is ended after this returns, without the dialog closing: save now.
    // A running restore is told to stop and keeps nothing more (so moves nothing it has
    // not moved yet); nothing waits for it, and nothing is sent to the shell from here.
    m_bRefuseBefore = true;
    m_nAbort.store(1, std::memory_order_relaxed);
    AfxGetApp()->OnSessionEnding();
    return 0;
}

void CLayoutDlg::OnDestroy() {
    // The worker reads this dialog's abort and speed words and the copy it restores, and
    // sends this window the reading to keep: it must end before the dialog goes.
    EndRestoreWorker();
    // Take the menu off the window so that only m_menu destroys it.
    SetMenu(m_hWnd, nullptr);
    Default();
}

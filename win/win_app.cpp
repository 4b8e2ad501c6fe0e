// The application object base: start-up names, application message box, help.
#include "win/win_app.h"

#include "win/framework_ids.h"
#include "win/module_names.h"

namespace {
CWinApp* g_currentApp = nullptr;

// Sends `msg` to `hwnd` and to every window below it.
void SendToTree(HWND hwnd, UINT msg) {
    if (!hwnd) return;
    SendMessageA(hwnd, msg, 0, 0);
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendToTree(child, msg);
}
}  // namespace

CWinApp::CWinApp() { g_currentApp = this; }

CWinApp::~CWinApp() {
    if (g_currentApp == this) g_currentApp = nullptr;
}

CWinApp* AfxGetApp() { return g_currentApp; }

int CWinApp::Run(HINSTANCE instance) {
    m_hInstance = instance;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(instance, path, MAX_PATH);
    const ModuleNames names =
        DeriveModuleNames(path, [](unsigned char c) { return IsDBCSLeadByte(c) != FALSE; });
    char title[256] = {};
    m_strAppName = LoadStringA(instance, 0xE000, title, sizeof title) > 0 ? title : names.title;
    m_strHelpPath = names.helpPath;
    try {
        InitInstance();  // a dialog-based run: no message loop follows
    } catch (...) {
        return 1;  // nothing may unwind out of the entry point
    }
    return 0;
}

int CWinApp::DoMessageBox(const char* text, UINT type) {
    const UINT buttons = type & MB_TYPEMASK;
    if ((type & MB_ICONMASK) == 0 && (buttons == MB_OK || buttons == MB_OKCANCEL ||
                                      buttons == MB_YESNOCANCEL || buttons == MB_YESNO))
        type |= MB_ICONEXCLAMATION;
    HWND owner = m_hWndMain ? GetLastActivePopup(m_hWndMain) : nullptr;
    // The box disables its owner; the main window must be disabled as well when the
    // owner is one of its popups.
    const bool disableMain = m_hWndMain && owner != m_hWndMain && IsWindowEnabled(m_hWndMain);
    if (disableMain) EnableWindow(m_hWndMain, FALSE);
    const int result = MessageBoxA(owner, text, m_strAppName.c_str(), type);
    if (disableMain) EnableWindow(m_hWndMain, TRUE);
    return result;
}

void CWinApp::WinHelp(ULONG_PTR data, UINT command) {
    HWND main = m_hWndMain;
    const HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    if (main) {
        SendToTree(main, WM_CANCELMODE);
        HWND top = GetAncestor(main, GA_ROOT);
        if (top && top != main) SendToTree(top, WM_CANCELMODE);
    }
    if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
    HWND top = main ? GetAncestor(main, GA_ROOT) : nullptr;
    const BOOL ok = ::WinHelpA(top, m_strHelpPath.c_str(), command, data);
    SetCursor(previous);
    if (!ok) {
        char text[256] = {};
        LoadStringA(m_hInstance, AFX_IDP_FAILED_TO_LAUNCH_HELP, text, sizeof text);
        DoMessageBox(text, MB_OK);
    }
}

int AfxMessageBox(const char* text, UINT type, UINT /*helpId*/) {
    CWinApp* app = AfxGetApp();
    return app ? app->DoMessageBox(text, type) : MessageBoxA(nullptr, text, nullptr, type);
}

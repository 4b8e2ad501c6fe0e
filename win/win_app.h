// The application object base of our thin framework: the names derived from the
// executable, the application message box, the help call and the main window.
#pragma once

#include <windows.h>

#include <string>

class CDialog;

class CWinApp {
public:
    CWinApp();  // registers this object as the current application
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The whole run; returns FALSE when no message loop is to follow.
    virtual BOOL InitInstance() = 0;
    // The session ends (log-off, shut-down): the process will be ended without the run
    // returning. The main dialog calls this; save here what must survive.
    virtual void OnSessionEnding() {}
    // The main dialog's window exists (called on WM_INITDIALOG before the dialog's own
    // handler) and is going (on WM_NCDESTROY after it). They run inside the system's
    // dialog procedure, so nothing may escape them.
    virtual void OnMainWindowCreated(HWND /*hwnd*/) noexcept {}
    virtual void OnMainWindowDestroyed(HWND /*hwnd*/) noexcept {}

    // Process entry: records the instance, derives the names from the module path,
    // calls InitInstance. Returns the process exit code.
    int Run(HINSTANCE instance);

    // Application message box: caption = application name; MB_ICONEXCLAMATION added
    // when no icon is named and the buttons are OK, OK/Cancel, Yes/No/Cancel or
    // Yes/No; owned by the main window's last active popup, main window disabled
    // while it is up. Returns the button pressed.
    int DoMessageBox(const char* text, UINT type);
    // Help on the main window: WM_CANCELMODE around, WinHelpA with the help path;
    // failure shows AFX_IDP_FAILED_TO_LAUNCH_HELP.
    void WinHelp(ULONG_PTR data, UINT command);

    HINSTANCE m_hInstance = nullptr;
    std::string m_strAppName;   // executable title unless string 0xE000 exists
    std::string m_strHelpPath;  // module path with ".HLP" for its extension
    // The main dialog: InitInstance sets m_pMainWnd before running it; its window
    // handle is m_hWndMain from WM_INITDIALOG; both are cleared when the window goes.
    CDialog* m_pMainWnd = nullptr;
    HWND m_hWndMain = nullptr;  // main dialog while it runs, else null
};

CWinApp* AfxGetApp();
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);

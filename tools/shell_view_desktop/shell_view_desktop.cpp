// shell_view_desktop.exe FOLDER: a desktop no one here wrote. A top-level "Progman"
// window holds the shell view that the system's shell32 (Wine's, under Wine) makes for a
// folder of files, in icon mode: its "SHELLDLL_DefView" and its list view are the
// system's code, not ours. Our part is the window and a minimal browser the view asks
// for. Wine's view gives its list view auto arrange whatever it is told, and it is left
// so: TORVINEL asks the user before taking it off, as on a desktop arranged by Explorer.
// Like the test desktop, the window is titled "Program Manager" only once the view
// stands, and WM_CLOSE ends the program.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>

#include "tools/shell_browser/minimal_shell_browser.h"

namespace {

constexpr UINT_PTR kReadyTimer = 1;
constexpr UINT kReadyDelayMs = 300;

// The browser the view talks to: its window is ours, it hosts only this view.
class Browser final : public MinimalShellBrowser {
public:
    HWND top = nullptr;
    IShellView* view = nullptr;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IShellBrowser) {
            *ppv = static_cast<IShellBrowser*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // One static object: the counts keep COM's books only.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override {
        *hwnd = top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellView** active) override {
        if (!view) return E_FAIL;
        view->AddRef();
        *active = view;
        return S_OK;
    }
};

struct State {
    Browser browser;
    HWND viewWindow = nullptr;
    HWND listView = nullptr;
};
State g;

// The view of `folder` (a path) in `top`, or null.
IShellView* CreateView(HWND top, const std::wstring& folder, const RECT& rect) {
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
    PIDLIST_RELATIVE pidl = nullptr;
    IShellFolder* files = nullptr;
    std::wstring name = folder;
    if (SUCCEEDED(desktop->ParseDisplayName(top, nullptr, name.data(), nullptr, &pidl, nullptr)))
        desktop->BindToObject(pidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&files));
    CoTaskMemFree(pidl);
    desktop->Release();
    if (!files) return nullptr;
    IShellView* view = nullptr;
    files->CreateViewObject(top, IID_IShellView, reinterpret_cast<void**>(&view));
    files->Release();
    if (!view) return nullptr;
    FOLDERSETTINGS settings = {FVM_ICON, FWF_NOCLIENTEDGE};
    RECT r = rect;
    if (FAILED(view->CreateViewWindow(nullptr, &settings, &g.browser, &r, &g.viewWindow))) {
        view->Release();
        return nullptr;
    }
    view->UIActivate(SVUIA_ACTIVATE_NOFOCUS);
    return view;
}

LRESULT CALLBACK ProgmanProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (wParam == kReadyTimer) {
                KillTimer(hwnd, kReadyTimer);
                SetWindowTextA(hwnd, "Program Manager");  // now a client finds a ready desktop
            }
            return 0;
        case WM_WINDOWPOSCHANGING: {
            // As the shell's desktop: beneath every other window.
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            pos->hwndInsertAfter = HWND_BOTTOM;
            pos->flags &= ~SWP_NOZORDER;
            break;
        }
        case WM_CLOSE:
            if (g.browser.view) {
                g.browser.view->UIActivate(SVUIA_DEACTIVATE);
                g.browser.view->DestroyViewWindow();
                g.browser.view->Release();
                g.browser.view = nullptr;
            }
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    if (FAILED(OleInitialize(nullptr))) return 3;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ProgmanProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BACKGROUND + 1);
    wc.lpszClassName = L"Progman";
    RegisterClassW(&wc);
    const RECT rect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    HWND top = CreateWindowExW(WS_EX_TOOLWINDOW, L"Progman", L"", WS_POPUP | WS_VISIBLE, 0, 0,
                               rect.right, rect.bottom, nullptr, nullptr, instance, nullptr);
    if (!top) return 4;
    g.browser.top = top;
    g.browser.view = CreateView(top, argv[1], rect);
    if (!g.browser.view) return 5;
    g.listView = FindWindowExW(g.viewWindow, nullptr, L"SysListView32", nullptr);
    if (!g.listView) return 6;
    SetTimer(top, kReadyTimer, kReadyDelayMs, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    OleUninitialize();
    return 0;
}

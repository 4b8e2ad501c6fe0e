// The dialog base: modal run, the one dialog procedure and message-map dispatch.
#include "win/dialog.h"

#include "win/framework_ids.h"
#include "win/win_app.h"

#include <utility>

namespace {
// Centres a dialog over its visible owner, else in the screen's work area; kept inside
// the work area.
void CenterDialog(HWND hwnd) {
    RECT work, area, rc;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    HWND owner = GetWindow(hwnd, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &area);
    else
        area = work;
    GetWindowRect(hwnd, &rc);
    const LONG w = rc.right - rc.left, h = rc.bottom - rc.top;
    LONG x = (area.left + area.right - w) / 2, y = (area.top + area.bottom - h) / 2;
    if (x + w > work.right) x = work.right - w;
    if (y + h > work.bottom) y = work.bottom - h;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

CDialog::CDialog(UINT templateId, HWND parent) : m_nTemplate(templateId), m_hParent(parent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    CWinApp* app = AfxGetApp();
    HWND owner = m_hParent;
    if (!owner && app && app->m_pMainWnd != this && app->m_hWndMain)
        owner = GetLastActivePopup(app->m_hWndMain);
    return DialogBoxParamA(app ? app->m_hInstance : GetModuleHandleA(nullptr),
                           MAKEINTRESOURCEA(m_nTemplate), owner, &CDialog::DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

const MessageMap* CDialog::GetMessageMap() const {
    static const MessageMap empty{nullptr, 0};
    return &empty;
}

BOOL CDialog::OnInitDialog() { return TRUE; }
void CDialog::OnOK() { EndDialog(m_hWnd, IDOK); }
void CDialog::OnCancel() { EndDialog(m_hWnd, IDCANCEL); }

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CDialog* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        self->m_hWnd = hwnd;
        CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd == self) {
            app->m_hWndMain = hwnd;
            app->OnMainWindowCreated(hwnd);
        }
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;  // messages before WM_INITDIALOG

    INT_PTR result = FALSE;
    try {
        result = self->Dispatch(msg, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's code; the message counts as unhandled.
        result = FALSE;
    }
    if (msg == WM_NCDESTROY) {
        CWinApp* app = AfxGetApp();
        if (app && app->m_hWndMain == hwnd) {
            app->OnMainWindowDestroyed(hwnd);
            app->m_hWndMain = nullptr;
            app->m_pMainWnd = nullptr;
        }
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
    }
    return result;
}

INT_PTR CDialog::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        CenterDialog(m_hWnd);
        return OnInitDialog();
    }

    const MessageMap* map = GetMessageMap();
    for (std::size_t i = 0; i < map->count; ++i) {
        const MessageMapEntry& e = map->entries[i];
        if (e.message != msg) continue;
        if (msg == WM_COMMAND && (e.id != LOWORD(wParam) || e.code != HIWORD(wParam))) continue;
        // One flag per dispatch: a handler that runs a nested modal loop dispatches
        // other messages meanwhile, and their Default() must not leak into this one.
        const bool outer = std::exchange(m_bDefault, false);
        const LRESULT r = e.call(this, wParam, lParam);
        const bool useDefault = std::exchange(m_bDefault, outer);
        if (useDefault) return FALSE;
        // Messages whose result the dialog procedure returns itself; the rest go
        // through DWLP_MSGRESULT.
        if (msg == WM_QUERYDRAGICON || msg == WM_INITDIALOG) return r;
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, r);
        return TRUE;
    }

    switch (msg) {
        case WM_COMMAND:
            if (lParam == 0 || HIWORD(wParam) == BN_CLICKED) {
                if (LOWORD(wParam) == IDOK) return OnOK(), TRUE;
                if (LOWORD(wParam) == IDCANCEL) return OnCancel(), TRUE;
            }
            return FALSE;
        case WM_HELP: {
            // F1: help on the main window unless a modifier is held.
            const bool modifier = GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 ||
                                  GetKeyState(VK_MENU) < 0;
            CWinApp* app = AfxGetApp();
            if (modifier || !app || !app->m_hWndMain) return FALSE;
            SendMessageA(app->m_hWndMain, WM_COMMAND, ID_HELP, 0);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

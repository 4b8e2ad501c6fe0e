// Dialog base of our thin framework: one static dialog procedure that finds the C++
// object of a dialog window and dispatches its messages through a message map.
#pragma once

#include <windows.h>

#include <cstddef>

class CDialog;

// One row of a message map. For WM_COMMAND the row also names the command or control
// id and the notification code; for other messages both are 0.
struct MessageMapEntry {
    UINT message;
    UINT id;
    UINT code;
    LRESULT (*call)(CDialog* dlg, WPARAM wParam, LPARAM lParam);
};

struct MessageMap {
    const MessageMapEntry* entries;
    std::size_t count;
};

// Thunks that call a member handler of class T with the signature the row needs.
namespace msgmap {
template <class T, void (T::*F)()>
LRESULT Void(CDialog* d, WPARAM, LPARAM) {
    (static_cast<T*>(d)->*F)();
    return 0;
}
template <class T, void (T::*F)(UINT, LPARAM)>
LRESULT SysCommand(CDialog* d, WPARAM w, LPARAM l) {
    (static_cast<T*>(d)->*F)(static_cast<UINT>(w), l);
    return 0;
}
template <class T, HCURSOR (T::*F)()>
LRESULT Cursor(CDialog* d, WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>((static_cast<T*>(d)->*F)());
}
template <class T, LRESULT (T::*F)(WPARAM, LPARAM)>
LRESULT Raw(CDialog* d, WPARAM w, LPARAM l) {
    return (static_cast<T*>(d)->*F)(w, l);
}
}  // namespace msgmap

// Rows; `C` is the dialog class.
#define ON_COMMAND_CODE(id, code, C, fn) \
    { WM_COMMAND, (id), (code), &msgmap::Void<C, &C::fn> }
#define ON_BN_CLICKED(id, C, fn) ON_COMMAND_CODE(id, BN_CLICKED, C, fn)
#define ON_COMMAND(id, C, fn) ON_COMMAND_CODE(id, 0, C, fn)
#define ON_LBN_SELCHANGE(id, C, fn) ON_COMMAND_CODE(id, LBN_SELCHANGE, C, fn)
#define ON_MESSAGE_VOID(msg, C, fn) \
    { (msg), 0, 0, &msgmap::Void<C, &C::fn> }
#define ON_WM_SYSCOMMAND(C, fn) \
    { WM_SYSCOMMAND, 0, 0, &msgmap::SysCommand<C, &C::fn> }
#define ON_WM_QUERYDRAGICON(C, fn) \
    { WM_QUERYDRAGICON, 0, 0, &msgmap::Cursor<C, &C::fn> }
#define ON_MESSAGE(msg, C, fn) \
    { (msg), 0, 0, &msgmap::Raw<C, &C::fn> }

class CDialog {
public:
    CDialog(UINT templateId, HWND parent);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally; the owner is the parent given, else the application's
    // main window (its last active popup). Returns EndDialog's result or -1.
    INT_PTR DoModal();

    HWND m_hWnd = nullptr;

protected:
    virtual const MessageMap* GetMessageMap() const;
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // Inside a handler: let the system's dialog processing handle the message too.
    void Default() { m_bDefault = true; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    UINT m_nTemplate;
    HWND m_hParent;
    bool m_bDefault = false;
};

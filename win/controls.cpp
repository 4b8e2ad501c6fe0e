// List box and menu wrappers.
#include "win/controls.h"

#include <vector>

namespace {
LRESULT Send(HWND hwnd, UINT msg, WPARAM w = 0, LPARAM l = 0) {
    return hwnd ? SendMessageA(hwnd, msg, w, l) : LB_ERR;
}
}  // namespace

int CListBox::AddString(const char* text) {
    return static_cast<int>(Send(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}
int CListBox::DeleteString(int index) {
    return static_cast<int>(Send(m_hWnd, LB_DELETESTRING, index));
}
int CListBox::GetCount() const { return static_cast<int>(Send(m_hWnd, LB_GETCOUNT)); }
int CListBox::GetCurSel() const { return static_cast<int>(Send(m_hWnd, LB_GETCURSEL)); }
int CListBox::SetCurSel(int index) { return static_cast<int>(Send(m_hWnd, LB_SETCURSEL, index)); }

std::string CListBox::GetText(int index) const {
    const LRESULT len = Send(m_hWnd, LB_GETTEXTLEN, index);
    if (len == LB_ERR || len < 0) return std::string();
    std::vector<char> buf(static_cast<size_t>(len) + 1, '\0');
    const LRESULT got = Send(m_hWnd, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buf.data()));
    if (got == LB_ERR || got < 0) return std::string();
    return std::string(buf.data(),
                       static_cast<size_t>(got) <= static_cast<size_t>(len) ? got : len);
}

BOOL CMenu::LoadMenu(HINSTANCE instance, UINT id) {
    m_menu.Reset(::LoadMenuA(instance, MAKEINTRESOURCEA(id)));
    return m_menu ? TRUE : FALSE;
}

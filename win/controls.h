// Wrappers of the two controls the dialogs use: a list box (not owning: the dialog
// owns its control windows) and a menu (owning: destroys its HMENU).
#pragma once

#include <windows.h>

#include <string>

#include "win/unique_handle.h"

class CListBox {
public:
    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }
    int AddString(const char* text);
    int DeleteString(int index);
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    // Text of line `index`; empty when there is no such line.
    std::string GetText(int index) const;

private:
    HWND m_hWnd = nullptr;
};

class CMenu {
public:
    // Loads menu `id`, releasing one loaded before.
    BOOL LoadMenu(HINSTANCE instance, UINT id);
    HMENU GetSafeHmenu() const { return m_menu.Get(); }

private:
    win::UniqueMenu m_menu;
};

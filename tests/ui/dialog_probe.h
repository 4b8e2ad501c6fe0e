// In-process dialog tests run a dialog modally and check it from inside its
// WM_INITDIALOG, then end it. The application object is the program's own g_app,
// pointed at this test executable, which carries the program's resources.
#pragma once

#include <functional>
#include <string>

#include "app/layout_app.h"

inline void UseTestExecutableAsApp() {
    g_app.m_hInstance = GetModuleHandleA(nullptr);
    g_app.m_strAppName = "TORVINEL";
}

inline std::string WindowText(HWND hwnd) {
    char buf[256] = {};
    GetWindowTextA(hwnd, buf, sizeof buf);
    return buf;
}

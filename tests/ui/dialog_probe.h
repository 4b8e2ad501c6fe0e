// In-process dialog tests run a dialog modally and check it from inside its
// WM_INITDIALOG, then end it. The application object is the test's own, pointed at
// this test executable, which carries the program's resources; the main dialog works
// on a store and a version record of the test's.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "store/layout_store.h"
#include "win/win_app.h"

class TestApp : public CWinApp {
public:
    BOOL InitInstance() override { return FALSE; }

    // The main-window hooks in the order called: '+' created, '-' destroyed, with
    // whether the window still existed then.
    struct HookCall {
        char what;
        HWND hwnd;
        bool windowAlive;
        bool operator==(const HookCall& o) const {
            return what == o.what && hwnd == o.hwnd && windowAlive == o.windowAlive;
        }
    };
    std::vector<HookCall> hookCalls;
    void OnMainWindowCreated(HWND hwnd) noexcept override {
        hookCalls.push_back({'+', hwnd, IsWindow(hwnd) != FALSE});
    }
    void OnMainWindowDestroyed(HWND hwnd) noexcept override {
        hookCalls.push_back({'-', hwnd, IsWindow(hwnd) != FALSE});
    }
};

inline TestApp& TheTestApp() {
    static TestApp app;
    return app;
}

inline void UseTestExecutableAsApp() {
    TheTestApp().m_hInstance = GetModuleHandleA(nullptr);
    TheTestApp().m_strAppName = "TORVINEL";
}

inline CLayoutStore& TestLayouts() {
    static CLayoutStore layouts;
    return layouts;
}

inline OSVERSIONINFOA& TestVersionRecord() {
    static OSVERSIONINFOA osvi = {};
    return osvi;
}

inline std::string WindowText(HWND hwnd) {
    char buf[256] = {};
    GetWindowTextA(hwnd, buf, sizeof buf);
    return buf;
}

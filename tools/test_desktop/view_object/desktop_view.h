// The desktop's shell view as any client process reaches it: ShellWindows ->
// FindWindowSW(SWC_DESKTOP) -> the top-level browser -> its active shell view. Explorer's
// on Windows; the test desktop's under Wine while a ViewObjectRegistration lives. For
// tools and tests that ask the view what the program under test does not (the folder
// flags); needs COM on the calling thread.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shlguid.h>
#include <shlobj.h>

#include "win/com.h"

namespace testdesk {

// The view, or an empty owner when any link of the chain is missing.
inline win::UniqueCom<IShellView> FindDesktopShellView() {
    win::UniqueCom<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                IID_PPV_ARGS(windows.Put()))))
        return {};
    VARIANT location = {};
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    VARIANT root = {};
    long hwnd = 0;
    win::UniqueCom<IDispatch> desktop;
    if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH,
                              desktop.Put()) != S_OK ||
        !desktop)
        return {};
    win::UniqueCom<IServiceProvider> services;
    win::UniqueCom<IShellBrowser> browser;
    win::UniqueCom<IShellView> view;
    if (FAILED(desktop.QueryTo(services)) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(browser.Put()))) ||
        FAILED(browser->QueryActiveShellView(view.Put())))
        return {};
    return view;
}

}  // namespace testdesk

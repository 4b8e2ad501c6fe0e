// The test desktop's stand-in for the shell's view-object chain, served the way the
// shell serves it: ShellWindows (a local-server class of our own, reached through
// TreatAs) -> FindWindowSW(SWC_DESKTOP) -> the desktop's browser -> its shell view with
// IFolderView, whose items are the test desktop's list-view items under item IDs of
// its own. Every SelectAndPositionItems call is logged and applied to the list view as
// the desktop places what it is told. IFolderView2 serves the folder flags only. The
// view's folder (GetFolder) names each item as the desktop folder does: its full path
// for SHGDN_FORPARSING, the text under its icon otherwise.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tools/test_desktop/view_object/view_mode.h"

namespace testdesk {

// Serves the chain from the thread that runs the test desktop's message loop (a
// single-threaded apartment: calls arrive as messages). Stop (or the destructor)
// revokes the class, so that no registration outlives the process.
class ViewObjectServer {
public:
    ViewObjectServer() = default;
    ~ViewObjectServer() { Stop(); }
    ViewObjectServer(const ViewObjectServer&) = delete;
    ViewObjectServer& operator=(const ViewObjectServer&) = delete;

    // `fileNames`: the file name of each list-view item (by index), which its item ID
    // stands for; its text may show it without the extension. Where none is given, the
    // item's text is its file name.
    bool Start(HWND progman, HWND listView, ViewObjectMode mode, const std::string& logPath,
               std::vector<std::wstring> fileNames = {});
    void Stop();
    // The list view has laid its items out: where the view itself puts them, until it
    // is told otherwise (what kLagging answers).
    void LaidOut();
    // Empties the call log.
    void ClearLog();

private:
    bool m_comStarted = false;
    DWORD m_cookie = 0;
};

}  // namespace testdesk

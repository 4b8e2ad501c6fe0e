// Starting and driving test_desktop.exe from tests, tools and benchmarks (Windows).
// One object = one running test desktop, closed (and if need be ended) when the object
// goes. The files it uses live in a fresh folder under the temp directory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/unique_handle.h"
#include "tools/test_desktop/items_file.h"
#include "tools/test_desktop/view_object/view_calls.h"
#include "tools/test_desktop/view_object/view_mode.h"

namespace testdesk {

struct TestDesktopOptions {
    bool workerW = false;    // view under a top-level "WorkerW", Progman childless
    bool emulate9x = false;  // answer the shared-block scheme in the "TORVINEL" block
    // Serve the shell's view object (needs a ViewObjectRegistration while it runs).
    ViewObjectMode viewObject = ViewObjectMode::kNone;
    DWORD readyTimeoutMs = 20000;
};

struct SetPositionRecord {
    int index;
    int x;
    int y;
    bool operator==(const SetPositionRecord& o) const {
        return index == o.index && x == o.x && y == o.y;
    }
};

// A Unix path of the build (as CMake knows it) in the form Windows programs under Wine
// take: "/a/b" becomes "Z:\a\b"; anything else is returned unchanged.
std::string WinePath(const std::string& hostPath);

// Path of test_desktop.exe in this build.
std::string TestDesktopExe();

class TestDesktop {
public:
    // Closes any test desktop still running, starts a new one and waits until it is
    // ready (Progman titled "Program Manager"). Check Ready() before use.
    explicit TestDesktop(const std::vector<TestItem>& items, TestDesktopOptions options = {});
    ~TestDesktop();
    TestDesktop(const TestDesktop&) = delete;
    TestDesktop& operator=(const TestDesktop&) = delete;

    bool Ready() const { return m_ready; }
    HWND Progman() const;
    HWND ListView() const;  // found directly, not through the code under test
    DWORD ProcessId() const { return m_processId; }

    // Every item's current position and text, in item order (asks the desktop to dump).
    std::vector<TestItem> Items() const;
    // The LVM_SETITEMPOSITION messages received so far, in order.
    std::vector<SetPositionRecord> SetPositionLog() const;
    void ClearSetPositionLog() const;  // the view object's log too
    // The view object's SelectAndPositionItems calls so far, in order.
    std::vector<ViewObjectCall> ViewObjectCalls() const {
        return ReadViewObjectCalls(m_viewLogPath);
    }

    // Asks the desktop to close and waits for its process to end.
    void Close();

private:
    std::string m_dir;
    std::string m_logPath;
    std::string m_dumpPath;
    std::string m_viewLogPath;
    win::UniqueHandle m_process;
    DWORD m_processId = 0;
    bool m_ready = false;
};

// Ends whatever test desktop is running (e.g. left over by a crashed test).
void CloseRunningTestDesktops();

}  // namespace testdesk

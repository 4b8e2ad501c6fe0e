// Starting and driving test_desktop.exe from tests, tools and benchmarks (Windows).
// One object = one running test desktop, closed (and if need be ended) when the object
// goes. The files it uses live in a fresh folder under the temp directory.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "win/unique_handle.h"
#include "tools/test_desktop/hidden_extensions.h"
#include "tools/test_desktop/items_file.h"
#include "tools/test_desktop/shell_faults.h"
#include "tools/test_desktop/view_object/view_calls.h"
#include "tools/test_desktop/view_object/view_mode.h"

namespace testdesk {

// Where the view lives (see protocol.h, --tree).
enum class Tree {
    kClassic,         // Progman > SHELLDLL_DefView > view
    kWorkerW,         // a top-level "WorkerW" > SHELLDLL_DefView > view, Progman childless
    kDefViewWorkerW,  // Progman > SHELLDLL_DefView > view, then an empty "WorkerW"
    kForeignFirst,    // Progman > another program's window, then SHELLDLL_DefView > view
};

struct TestDesktopOptions {
    Tree tree = Tree::kClassic;
    bool decoy = false;      // only a top-level "WorkerW" with a view, as any program may
                             // make; started beside a running test desktop, not instead
    bool emulate9x = false;  // answer the shared-block scheme in the "TORVINEL" block
    // Serve the shell's view object (needs a ViewObjectRegistration while it runs).
    ViewObjectMode viewObject = ViewObjectMode::kNone;
    int hangAfter = -1;           // hold the list-view message from another process after N
    int dieAfter = -1;            // end the process at the list-view message after N
    int width = 0, height = 0;    // of the desktop's windows; 0: the screen's
    int left = 0, top = 0;        // where they stand on the screen (negative: left of it)
    bool autoArrange = false;     // the list view with LVS_AUTOARRANGE: positions refused
    bool keepsArranging = false;  // with autoArrange: auto arrange cannot be switched off
    bool snapToGrid = false;      // the list view with LVS_EX_SNAPTOGRID: positions snap
    // Names shown without extensions, and the user's HideFileExt 1 while it runs, so that
    // every process's desktop folder shows them so (see protocol.h).
    bool hideExtensions = false;
    // After a restart the items are listed in reverse order, each at its kept place.
    bool reorderOnRestart = false;
    // The items' texts are UTF-8 (--utf8): the view object's file names keep them whole,
    // as the shell's wide names, while the list view shows them in the ANSI code page
    // (with substitutes where it has no character), as Explorer's ANSI clients see them.
    // Items() reads them back as the list view shows them.
    bool utf8Texts = false;
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
    HWND Progman() const;   // the ready Progman window (of any test desktop), or null
    HWND ListView() const;  // as the desktop itself tells, not through the code under test
    DWORD ProcessId() const { return m_processId; }

    // Holds the list-view message from another process that comes after `after` more
    // of them (see --hang-after); true once armed.
    bool Hang(int after = 0) const;
    // True once a message is held (within `timeoutMs`).
    bool WaitUntilHung(DWORD timeoutMs) const;
    // Lets the held message go: it is answered (into memory still allocated) and the
    // desktop answers again.
    void Resume() const;
    // Whether the held message's late answer landed in memory still allocated; kNone
    // while none was answered or when the desktop does not answer.
    LateAnswer LateAnswerOfHeldMessage() const;

    // Every item's current position and text, in item order (asks the desktop to dump).
    std::vector<TestItem> Items() const;
    // The LVM_SETITEMPOSITION messages received so far, in order.
    std::vector<SetPositionRecord> SetPositionLog() const;
    void ClearSetPositionLog() const;  // the view object's log and the style log too
    // The style log (see protocol.h, --style-log): "exstyle MASK VALUE" for every
    // LVM_SETEXTENDEDLISTVIEWSTYLE from another process, "style OLD NEW" for every change
    // of the list view's GWL_STYLE, in order.
    std::vector<std::string> StyleLog() const;
    DWORD ListViewStyle() const;    // GWL_STYLE
    DWORD ListViewExStyle() const;  // LVM_GETEXTENDEDLISTVIEWSTYLE, asked of the desktop
    // The view object's folder flags as GetCurrentFolderFlags answers them, asked of the
    // desktop without COM.
    DWORD FolderFlags() const;
    // The view object's SelectAndPositionItems calls so far, in order.
    std::vector<ViewObjectCall> ViewObjectCalls() const { return ViewLog().calls; }
    // All the view object logged so far: those calls and the names it was asked for.
    ViewObjectLog ViewLog() const { return ReadViewObjectLog(m_viewLogPath); }

    // Restarts the desktop as the shell restarts (kRestartMessage of protocol.h): the
    // new process lays its items out from the places the view object was told. True once
    // the new process is ready; this object then stands for it.
    bool Restart(DWORD timeoutMs = 20000);
    // The same when someone else sent the restart: waits for this process to end and
    // for a new desktop to be ready, and stands for that one.
    bool FollowRestart(DWORD timeoutMs = 20000);

    // Asks the desktop to close (letting any held message go first) and waits for its
    // process to end; one that has not ended after 10 s is ended, and then, with
    // hideExtensions, HideFileExt is put back as it was found before the start.
    void Close();

private:
    HWND Host() const;  // the window that takes the commands: Progman or the decoy's
    bool SetFaultEvent(const char* prefix) const;
    DWORD AskHost(const char* message) const;  // a registered message's answer, 0 if none

    std::string m_dir;
    std::string m_logPath;
    std::string m_dumpPath;
    std::string m_viewLogPath;
    std::string m_keptPath;
    std::string m_styleLogPath;
    win::UniqueHandle m_process;
    DWORD m_processId = 0;
    bool m_decoy = false;
    bool m_ready = false;
    bool m_hidesExtensions = false;
    std::optional<FoundValue> m_hideFileExt;  // as found before the start
};

// Ends whatever test desktop is running (e.g. left over by a crashed test); a decoy
// belongs to its TestDesktop object and is not looked for.
void CloseRunningTestDesktops();

}  // namespace testdesk

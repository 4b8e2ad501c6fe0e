// test_desktop.exe: a stand-in for the shell's desktop under Wine. A top-level
// "Progman" window > "SHELLDLL_DefView" > a real SysListView32 in icon mode holding the
// icons of an items file (or the trees of other shells, or a decoy of another program);
// logs the positions it is told to set and the styles it is given, places what it is
// told as Explorer does (told_place.h), dumps its items on request, can hang or die on
// demand and emulate the 9x shared arena; it may show names without their extensions
// and list its items in another order after a restart. See protocol.h for the options.
#include <windows.h>
#include <commctrl.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "desktop/access/shared_block.h"
#include "tools/test_desktop/code_page.h"
#include "tools/test_desktop/demo_icons.h"
#include "tools/test_desktop/desktop_options.h"
#include "tools/test_desktop/hidden_extensions.h"
#include "win/unique_handle.h"
#include "tools/test_desktop/items_file.h"
#include "tools/test_desktop/line_log.h"
#include "tools/test_desktop/protocol.h"
#include "tools/test_desktop/shell_faults.h"
#include "tools/test_desktop/told_place.h"
#include "tools/test_desktop/view_object/folder_flags.h"
#include "tools/test_desktop/view_object/kept_places.h"
#include "tools/test_desktop/view_object/view_server.h"

namespace {

constexpr UINT_PTR kPlaceTimer = 1;     // short, after the first paint
constexpr UINT_PTR kFallbackTimer = 2;  // places anyway when no paint ever comes
constexpr UINT kPlaceDelayMs = 100;
constexpr UINT kFallbackDelayMs = 3000;

struct State {
    testdesk::DesktopOptions options;
    std::vector<testdesk::TestItem> items;  // in list-view order; texts as file names
    HWND progman = nullptr;
    HWND host = nullptr;  // takes the commands and the ready title: Progman, or the decoy's
    HWND listView = nullptr;
    WNDPROC listViewProc = nullptr;
    bool painted = false;
    bool placed = false;
    UINT dumpMessage = 0;
    UINT clearLogMessage = 0;
    UINT listViewMessage = 0;
    UINT hangMessage = 0;
    UINT lateAnswerMessage = 0;
    UINT restartMessage = 0;
    UINT exStyleMessage = 0;
    UINT folderFlagsMessage = 0;
    bool restarting = false;     // a new process takes over once this one has ended
    int ownSends = 0;            // our own list-view messages, sent while answering another process
    testdesk::LineLog log;       // --log
    testdesk::LineLog styleLog;  // --style-log
    testdesk::ShellFaults faults;
    struct {
        int item = -1;  // the icon the user drags, or -1
        POINT offset = {};
    } drag;
    win::UniqueHandle mapping;  // --emulate-9x: the shared arena
    win::UniqueMappedView view;
    testdesk::ViewObjectServer viewServer;
};

State g;

// While it lives, list-view messages are our own, not another process's (InSendMessage
// still says a message of another thread is being answered).
struct OwnSends {
    OwnSends() { ++g.ownSends; }
    ~OwnSends() { --g.ownSends; }
    OwnSends(const OwnSends&) = delete;
    OwnSends& operator=(const OwnSends&) = delete;
};

// UTF-8 text (a hand-written items file) in the ANSI code page the list view shows.
std::string Utf8ToAnsi(const std::string& text) {
    const std::string ansi = testdesk::FromWide(testdesk::ToWide(text, CP_UTF8));
    return ansi.empty() ? text : ansi;
}

void PlaceItems() {
    if (g.placed) return;
    g.placed = true;
    KillTimer(g.host, kPlaceTimer);
    KillTimer(g.host, kFallbackTimer);
    // One repaint at the end: painting after each move makes thousands of icons slow.
    SendMessageA(g.listView, WM_SETREDRAW, FALSE, 0);
    for (std::size_t i = 0; i < g.items.size(); ++i) {
        POINT pt = {g.items[i].x, g.items[i].y};
        // LVM_SETITEMPOSITION32 so that our own placing stays out of the log.
        SendMessageA(g.listView, LVM_SETITEMPOSITION32, i, reinterpret_cast<LPARAM>(&pt));
    }
    SendMessageA(g.listView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(g.listView, nullptr, TRUE);
    g.viewServer.LaidOut();
    // Now FindWindowA sees a ready desktop.
    SetWindowTextA(g.host, g.options.decoy ? testdesk::kDecoyTitle : "Program Manager");
}

LRESULT Dump() {
    if (g.options.dump.empty()) return 0;
    std::FILE* f = std::fopen(g.options.dump.c_str(), "wb");
    if (!f) return 0;
    OwnSends own;
    const int n = static_cast<int>(SendMessageA(g.listView, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        POINT pt = {};
        SendMessageA(g.listView, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&pt));
        char text[1024] = {};
        LVITEMA item = {};
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(g.listView, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        std::fprintf(f, "%d %ld %ld %s\n", i, static_cast<long>(pt.x), static_cast<long>(pt.y),
                     text);
    }
    return std::fclose(f) == 0 ? 1 : 0;
}

bool IsListViewMessage(UINT msg) { return msg >= LVM_FIRST && msg < LVM_FIRST + 0x100; }

// A position another process set: where the desktop puts it (told_place.h); FALSE when
// nothing moves.
LRESULT MoveAsTold(HWND hwnd, WPARAM index, POINT pt) {
    {
        OwnSends own;
        if (!testdesk::PlaceTold(hwnd, static_cast<int>(index), pt)) return FALSE;
    }
    return CallWindowProcA(g.listViewProc, hwnd, LVM_SETITEMPOSITION32, index,
                           reinterpret_cast<LPARAM>(&pt));
}

// Every change of the list view's style is logged; a desktop that keeps arranging puts
// auto arrange back at once, before the change returns to whoever made it.
LRESULT StyleChanged(HWND hwnd, WPARAM which, LPARAM lParam) {
    const auto* change = reinterpret_cast<const STYLESTRUCT*>(lParam);
    if (static_cast<int>(which) != GWL_STYLE)
        return CallWindowProcA(g.listViewProc, hwnd, WM_STYLECHANGED, which, lParam);
    const DWORD before = change->styleOld, after = change->styleNew;
    g.styleLog.Line("style 0x%08lx 0x%08lx", static_cast<unsigned long>(before),
                    static_cast<unsigned long>(after));
    const LRESULT r = CallWindowProcA(g.listViewProc, hwnd, WM_STYLECHANGED, which, lParam);
    if (g.options.keepsArranging && (before & LVS_AUTOARRANGE) && !(after & LVS_AUTOARRANGE))
        SetWindowLongPtrA(hwnd, GWL_STYLE, GetWindowLongPtrA(hwnd, GWL_STYLE) | LVS_AUTOARRANGE);
    return r;
}

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const bool foreign = IsListViewMessage(msg) && InSendMessage() && !g.ownSends;
    if (foreign && !g.faults.BeforeForeignMessage(msg, lParam)) return 0;
    switch (msg) {
        case WM_PAINT: {
            const LRESULT r = CallWindowProcA(g.listViewProc, hwnd, msg, wParam, lParam);
            // The list view arranges its icons at its first paint: place them after it.
            if (!g.painted) {
                g.painted = true;
                SetTimer(g.host, kPlaceTimer, kPlaceDelayMs, nullptr);
            }
            return r;
        }
        case LVM_SETITEMPOSITION: {
            const POINT pt = {static_cast<short>(LOWORD(lParam)),
                              static_cast<short>(HIWORD(lParam))};
            g.log.Line("%d %ld %ld", static_cast<int>(wParam), static_cast<long>(pt.x),
                       static_cast<long>(pt.y));
            if (foreign) return MoveAsTold(hwnd, wParam, pt);
            break;
        }
        case LVM_SETITEMPOSITION32:
            if (foreign && lParam)
                return MoveAsTold(hwnd, wParam, *reinterpret_cast<const POINT*>(lParam));
            break;
        case LVM_SETEXTENDEDLISTVIEWSTYLE:
            if (foreign)
                g.styleLog.Line("exstyle 0x%08lx 0x%08lx", static_cast<unsigned long>(wParam),
                                static_cast<unsigned long>(lParam));
            break;
        case WM_STYLECHANGED:
            return StyleChanged(hwnd, wParam, lParam);
        case LVM_GETITEMPOSITION:
            // 9x arena: the caller's address means nothing here (Wine keeps NT memory
            // rules), so answer in our view of the block it reads.
            if (g.view && foreign) {
                POINT pt = {};
                const LRESULT r = CallWindowProcA(g.listViewProc, hwnd, msg, wParam,
                                                  reinterpret_cast<LPARAM>(&pt));
                if (r) std::memcpy(g.view.Get(), &pt, sizeof pt);
                return r;
            }
            break;
        default:
            break;
    }
    return CallWindowProcA(g.listViewProc, hwnd, msg, wParam, lParam);
}

// What the host window (Progman, or the decoy's WorkerW) answers: the client's commands,
// the placing timers, the end of the program. False for anything else.
bool HostMessage(UINT msg, WPARAM wParam, LRESULT& result) {
    result = 0;
    if (!msg) return false;
    if (msg == g.dumpMessage) {
        result = Dump();
    } else if (msg == g.clearLogMessage) {
        g.log.Reopen();
        g.styleLog.Reopen();
        g.viewServer.ClearLog();
        result = 1;
    } else if (msg == g.listViewMessage) {
        result = reinterpret_cast<LRESULT>(g.listView);
    } else if (msg == g.exStyleMessage) {
        OwnSends own;
        result = SendMessageA(g.listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    } else if (msg == g.folderFlagsMessage) {
        result = static_cast<LRESULT>(testdesk::CurrentFolderFlags());
    } else if (msg == g.hangMessage) {
        g.faults.HangAfter(static_cast<int>(wParam));
        result = 1;
    } else if (msg == g.lateAnswerMessage) {
        result = static_cast<LRESULT>(g.faults.Late());
    } else if (msg == g.restartMessage) {
        g.restarting = true;
        PostMessageA(g.host, WM_CLOSE, 0, 0);
        result = 1;
    } else if (msg == WM_TIMER && (wParam == kPlaceTimer || wParam == kFallbackTimer)) {
        PlaceItems();
    } else if (msg == WM_CLOSE) {
        DestroyWindow(g.host);
    } else if (msg == WM_DESTROY) {
        PostQuitMessage(0);
    } else {
        return false;
    }
    return true;
}

LRESULT CALLBACK ProgmanProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (hwnd == g.host && HostMessage(msg, wParam, result)) return result;
    switch (msg) {
        case WM_WINDOWPOSCHANGING: {
            // Like the shell's desktop, stay beneath every other window, even when clicked.
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            pos->hwndInsertAfter = HWND_BOTTOM;
            pos->flags &= ~SWP_NOZORDER;
            return DefWindowProcA(hwnd, msg, wParam, lParam);
        }
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// A user's drag of an icon: a bare list view only reports its start, so the view's
// parent moves the icon under the mouse (its client area is the view's). The icon goes
// by LVM_SETITEMPOSITION32, which stays out of the log.
void MoveDraggedItem(LPARAM mousePos) {
    POINT pt = {static_cast<short>(LOWORD(mousePos)) - g.drag.offset.x,
                static_cast<short>(HIWORD(mousePos)) - g.drag.offset.y};
    SendMessageA(g.listView, LVM_SETITEMPOSITION32, g.drag.item, reinterpret_cast<LPARAM>(&pt));
}

// SHELLDLL_DefView and WorkerW: plain containers that keep their child filling them;
// the one holding the list view moves the icons the user drags.
LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (hwnd == g.host && HostMessage(msg, wParam, result)) return result;
    switch (msg) {
        case WM_SIZE:
            if (HWND child = GetWindow(hwnd, GW_CHILD))
                MoveWindow(child, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return 0;
        case WM_NOTIFY: {
            const auto* nm = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if (nm->hdr.hwndFrom != g.listView || nm->hdr.code != LVN_BEGINDRAG) break;
            POINT at = {};
            SendMessageA(g.listView, LVM_GETITEMPOSITION, nm->iItem, reinterpret_cast<LPARAM>(&at));
            g.drag.item = nm->iItem;
            g.drag.offset = {nm->ptAction.x - at.x, nm->ptAction.y - at.y};
            SetCapture(hwnd);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (g.drag.item >= 0) MoveDraggedItem(lParam);
            return 0;
        case WM_LBUTTONUP:
            if (g.drag.item >= 0) MoveDraggedItem(lParam);
            g.drag.item = -1;
            ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED:
            g.drag.item = -1;
            return 0;
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void AddWindowClass(HINSTANCE instance, const char* name, WNDPROC proc) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BACKGROUND + 1);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

bool CreateDesktop(HINSTANCE instance) {
    const int cx = g.options.width > 0 ? g.options.width : GetSystemMetrics(SM_CXSCREEN);
    const int cy = g.options.height > 0 ? g.options.height : GetSystemMetrics(SM_CYSCREEN);
    AddWindowClass(instance, "Progman", ProgmanProc);
    AddWindowClass(instance, "WorkerW", ContainerProc);
    AddWindowClass(instance, "SHELLDLL_DefView", ContainerProc);
    AddWindowClass(instance, "TorvinelForeign", DefWindowProcA);  // another program's window

    // No title yet: it comes when the icons stand at their places.
    auto topLevel = [&](const char* cls, DWORD visible) {
        return CreateWindowExA(WS_EX_TOOLWINDOW, cls, "", WS_POPUP | visible, g.options.left,
                               g.options.top, cx, cy, nullptr, nullptr, instance, nullptr);
    };
    auto child = [&](const char* cls, HWND parent) {
        return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE, 0, 0, cx, cy, parent, nullptr,
                               instance, nullptr);
    };
    auto raise = [](HWND w) {
        SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    };
    HWND viewHost = nullptr;
    if (g.options.decoy) {
        g.host = viewHost = topLevel("WorkerW", WS_VISIBLE);
    } else {
        const bool workerW = g.options.tree == testdesk::DesktopTree::kWorkerW;
        g.host = g.progman = topLevel("Progman", workerW ? 0 : WS_VISIBLE);
        viewHost = workerW ? topLevel("WorkerW", WS_VISIBLE) : g.progman;
    }
    if (!g.host || !viewHost) return false;
    HWND defView = child("SHELLDLL_DefView", viewHost);
    if (!defView) return false;
    // Progman's first child (the top of its children) as each tree has it.
    if (!g.options.decoy && g.options.tree == testdesk::DesktopTree::kDefViewWorkerW) {
        if (!child("WorkerW", g.progman)) return false;
        raise(defView);
    } else if (!g.options.decoy && g.options.tree == testdesk::DesktopTree::kForeignFirst) {
        HWND foreign = child("TorvinelForeign", g.progman);
        if (!foreign || !child("Static", foreign)) return false;
        raise(foreign);
    }
    const DWORD arrange = g.options.autoArrange ? LVS_AUTOARRANGE : 0;
    g.listView = CreateWindowExA(0, WC_LISTVIEWA, "FolderView",
                                 WS_CHILD | WS_VISIBLE | LVS_ICON | LVS_SINGLESEL | arrange, 0, 0,
                                 cx, cy, defView, nullptr, instance, nullptr);
    if (!g.listView) return false;
    if (g.options.snapToGrid)
        SendMessageA(g.listView, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_SNAPTOGRID,
                     LVS_EX_SNAPTOGRID);

    // Desktop colours, so a screenshot reads as a desktop.
    SendMessageA(g.listView, LVM_SETBKCOLOR, 0, RGB(0, 96, 128));
    SendMessageA(g.listView, LVM_SETTEXTBKCOLOR, 0, CLR_NONE);
    SendMessageA(g.listView, LVM_SETTEXTCOLOR, 0, RGB(255, 255, 255));
    // The list view owns (and destroys) its normal image list.
    HIMAGELIST images = testdesk::CreateIconImageList();
    SendMessageA(g.listView, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
    // Without redraw: an insert that paints costs time in proportion to the items
    // already there (1,000 icons took 7.5 s instead of 10 ms under Wine).
    SendMessageA(g.listView, WM_SETREDRAW, FALSE, 0);
    for (std::size_t i = 0; i < g.items.size(); ++i) {
        const std::string& name = g.items[i].text;
        std::string shown = g.options.hideExtensions ? testdesk::WithoutExtension(name) : name;
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.pszText = &shown[0];
        item.iImage = static_cast<int>(testdesk::IconKindOf(name));
        SendMessageA(g.listView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageA(g.listView, WM_SETREDRAW, TRUE, 0);
    g.listViewProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(g.listView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListViewProc)));
    SetTimer(g.host, kFallbackTimer, kFallbackDelayMs, nullptr);
    return true;
}

// As the shell restarts: a new process with the same command line (told it is one a
// restart started), started once this one's windows and class registration are gone, so
// that only one desktop is ever found.
void Restart() {
    std::string cmd = GetCommandLineA();
    if (!g.options.restarted) cmd += std::string(" ") + testdesk::kRestartedOption;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return;
    // Not waited for: the new desktop outlives this one.
    const win::UniqueHandle thread(pi.hThread);
    const win::UniqueHandle process(pi.hProcess);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g.options = testdesk::ParseOptions(__argc, __argv);
    std::vector<testdesk::TestItem> items = testdesk::ReadItemsFile(g.options.items);
    // Each item's file name as the shell holds it: whole in wide characters, also where
    // the ANSI code page the list view shows has no character for it.
    std::vector<std::wstring> wideNames;
    for (testdesk::TestItem& item : items) {
        wideNames.push_back(testdesk::ToWide(item.text, g.options.utf8 ? CP_UTF8 : CP_ACP));
        if (g.options.utf8) item.text = Utf8ToAnsi(item.text);
    }
    // The item each list-view index shows: the file's order, reversed in a process a
    // restart started where the order is to change.
    std::vector<int> itemAt(items.size());
    std::iota(itemAt.begin(), itemAt.end(), 0);
    if (g.options.reorderOnRestart && g.options.restarted)
        std::reverse(itemAt.begin(), itemAt.end());
    g.log.Open(g.options.log);
    g.styleLog.Open(g.options.styleLog);
    g.dumpMessage = RegisterWindowMessageA(testdesk::kDumpMessage);
    g.clearLogMessage = RegisterWindowMessageA(testdesk::kClearLogMessage);
    g.listViewMessage = RegisterWindowMessageA(testdesk::kListViewMessage);
    g.hangMessage = RegisterWindowMessageA(testdesk::kHangMessage);
    g.lateAnswerMessage = RegisterWindowMessageA(testdesk::kLateAnswerMessage);
    g.restartMessage = RegisterWindowMessageA(testdesk::kRestartMessage);
    g.exStyleMessage = RegisterWindowMessageA(testdesk::kExStyleMessage);
    g.folderFlagsMessage = RegisterWindowMessageA(testdesk::kFolderFlagsMessage);
    // An earlier process's view object was told these places: they win over the file's.
    for (const auto& [item, pt] : testdesk::KeepPlacesIn(g.options.keep, itemAt))
        if (item >= 0 && static_cast<size_t>(item) < items.size()) {
            items[static_cast<size_t>(item)].x = pt.x;
            items[static_cast<size_t>(item)].y = pt.y;
        }
    for (const int item : itemAt) g.items.push_back(items[static_cast<size_t>(item)]);
    // So were its folder flags: they decide auto arrange.
    const std::string keptFlags = g.options.keep.empty() ? "" : g.options.keep + ".flags";
    const DWORD flags = testdesk::KeptFolderFlags(keptFlags).value_or(
        testdesk::kDesktopFolderFlags | (g.options.autoArrange ? DWORD{FWF_AUTOARRANGE} : 0));
    g.options.autoArrange = (flags & FWF_AUTOARRANGE) != 0;
    if (!g.faults.Open()) return 2;
    g.faults.HangAfter(g.options.hangAfter);
    g.faults.DieAfter(g.options.dieAfter);
    if (g.options.emulate9x) {
        g.mapping = win::UniqueHandle(
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                               desktop::kSharedBlockSize, desktop::kSharedBlockName));
        if (g.mapping)
            g.view =
                win::UniqueMappedView(MapViewOfFile(g.mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
        if (!g.view) return 2;
    }

    // Before any name is read: the shell hides extensions in every process from now on.
    std::optional<testdesk::ExtensionsHidden> hidden;
    if (g.options.hideExtensions) hidden.emplace();

    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    if (!CreateDesktop(instance)) return 1;
    testdesk::StartFolderFlags(g.listView, flags, keptFlags, g.options.keepsArranging);
    // Before the desktop reads as ready, so that a client finds the view object at once.
    std::vector<std::wstring> fileNames;
    for (const int item : itemAt) fileNames.push_back(wideNames[static_cast<size_t>(item)]);
    if (!g.viewServer.Start(g.progman, g.listView, g.options.viewObject, g.options.viewLog,
                            std::move(fileNames)))
        return 3;

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    g.viewServer.Stop();  // a class left registered would outlive us in rpcss
    g.view.Reset();
    g.mapping.Reset();
    hidden.reset();  // before a new process finds the value as it is
    if (g.restarting) Restart();
    return 0;
}

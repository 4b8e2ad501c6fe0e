// What the test desktop (test_desktop.exe) and the programs that drive it agree on.
//
//   test_desktop.exe [--items FILE [--utf8]] [--log FILE] [--dump FILE]
//                    [--tree classic|workerw|defview-workerw|foreign-first] [--decoy]
//                    [--hang-after N] [--die-after N] [--emulate-9x] [--size WxH]
//                    [--view-object MODE --view-log FILE] [--keep FILE] [--origin X,Y]
//                    [--auto-arrange [--keeps-arranging]] [--snap] [--style-log FILE]
//                    [--hide-extensions] [--reorder-on-restart]
//
// --items   one icon per line: "x y text" (decimal x and y, one space, the text in the
//           ANSI code page up to the line end; CR before LF ignored). No file or an empty
//           file: no icons. With --utf8 the texts are UTF-8 (demo_icons.txt is): the
//           list view shows them in the ANSI code page, the view object's file names
//           keep them whole.
//           Texts of the dump stay in the ANSI code page.
// --log     every LVM_SETITEMPOSITION the list view receives is appended as "index x y"
//           (x and y as the sender gave them: the 16-bit words, sign-extended, also when
//           the desktop puts the icon elsewhere or nowhere), one line each, flushed at once.
// --dump    sending kDumpMessage to the host window writes "index x y text" for every
//           item, in item order, to this file; the send returns 1 once it is written.
// --tree    where the view lives, as in the shells met in the wild:
//             classic          Progman > SHELLDLL_DefView > view (the default)
//             workerw          a top-level "WorkerW" > SHELLDLL_DefView > view; Progman
//                              childless (--workerw says the same)
//             defview-workerw  Progman > SHELLDLL_DefView > view, then an empty
//                              "WorkerW" child below it (Windows 11 24H2 and later)
//             foreign-first    Progman > another program's window (with a child of its
//                              own) above SHELLDLL_DefView > view
// --decoy   not a desktop: only a top-level "WorkerW" > SHELLDLL_DefView > view, as any
//           program may make; no Progman. Its host gets the title kDecoyTitle when ready.
// --hang-after N  the list-view message from another process that comes after N of them
//           is held without answering, and the process looks at no message, until the
//           client sets the resume event. kHangMessage (sent, wParam N) arms the same
//           from then on. The held message is answered once resumed, but only when the
//           memory its answer goes into is still allocated; kLateAnswerMessage tells
//           (a LateAnswer of shell_faults.h).
// --die-after N   the process ends (exit code 3) at the list-view message from another
//           process that comes after N of them, without answering it.
// --emulate-9x  the 9x shared arena: the test desktop maps the block "TORVINEL" itself
//           and answers every LVM_GETITEMPOSITION from another process by writing into
//           its own view (whatever address came with it), so the NT remote-block
//           position read does not work against it: use it with the 9x scheme only.
// --size    the desktop window's size in pixels (it stands at 0,0); default: the screen.
// --view-object  serve the shell's view-object chain (view_object/view_server.h): MODE
//           "same", "reordered", "hangs" or "offset"; needs the registration of
//           view_object/registration.h. --view-log: its SelectAndPositionItems calls.
//           The clear-log message empties this log too.
// --keep    the places the view object was told are kept in this file (see
//           view_object/kept_places.h); a process started with it lays its items out
//           from the places kept there, over those of --items. The folder flags the view
//           object was told are kept in FILE.flags (view_object/folder_flags.h); a
//           process started with them takes auto arrange from there, over --auto-arrange.
// --origin  where the desktop's windows stand on the screen (default 0,0).
// --auto-arrange  the list view has LVS_AUTOARRANGE: a position another process sets
//           (LVM_SETITEMPOSITION, LVM_SETITEMPOSITION32) moves nothing and answers FALSE,
//           and the view object's SelectAndPositionItems moves nothing (told_place.h).
// --keeps-arranging  (implies --auto-arrange) a desktop that keeps arranging: the list
//           view puts LVS_AUTOARRANGE back as soon as it is cleared from its style, and
//           SetCurrentFolderFlags answers S_OK but leaves FWF_AUTOARRANGE on.
// --snap    the list view starts with LVS_EX_SNAPTOGRID. While it has that style, a
//           position another process sets or the view object is told goes to the nearest
//           grid point of the icon spacing (LVM_GETITEMSPACING; points at multiples of
//           it from LVM_GETORIGIN), or, where another item stands on that point exactly,
//           to the nearest point no item stands on (of points equally near, the upper,
//           then the left one). Switching the style on moves no icon; the items file's
//           places are taken as they are.
// --style-log  every LVM_SETEXTENDEDLISTVIEWSTYLE from another process is appended as
//           "exstyle MASK VALUE", every change of the list view's GWL_STYLE (whoever
//           made it) as "style OLD NEW" (hex, 0x%08x). The clear-log message empties it.
// --hide-extensions  the list view shows each item's name without its extension, as the
//           shell does for a user who hides extensions (hidden_extensions.h: "report.txt"
//           reads "report", ".profile" stays); the items file, the view object's item IDs
//           and their parsing names keep the whole file name. While the desktop runs, the
//           user's HideFileExt (kAdvancedKey of HKCU) is 1, so that every process's desktop
//           folder reads the item IDs as the list view shows them; what was there is put
//           back when the desktop ends (a restart's new process sets it again). One desktop
//           at a time per Wine prefix.
// --reorder-on-restart  a process started by kRestartMessage lists its items in reverse
//           item order, as the list-view indexes change when Explorer restarts; each item
//           keeps its place (the kept one, else the items file's).
//
// kRestartMessage to the host window restarts the desktop as the shell restarts: the
// send returns 1, the process ends (its windows first) and starts anew with the same
// command line and kRestartedOption; only what --keep kept comes back.
//
// kListViewMessage to the host window returns the view's window handle; kExStyleMessage
// the list view's extended style; kFolderFlagsMessage the view object's folder flags (as
// IFolderView2::GetCurrentFolderFlags answers them, also without --view-object).
// The user can drag icons with the mouse (moved by LVM_SETITEMPOSITION32: not logged).
// The desktop window stays beneath every other window.
//
// Ready: the Progman window gets its title "Program Manager" only once the icons stand
// at their places (after the list view's first paint), so FindWindowA("Progman",
// "Program Manager") appearing means ready. WM_CLOSE to the host window (Progman, or the
// decoy's "WorkerW") ends the program.
#pragma once

#include <windows.h>

#include <string>

namespace testdesk {

constexpr char kDumpMessage[] = "TorvinelTestDesktopDump";          // RegisterWindowMessageA
constexpr char kClearLogMessage[] = "TorvinelTestDesktopClearLog";  // empties the --log file
constexpr char kListViewMessage[] = "TorvinelTestDesktopListView";
constexpr char kHangMessage[] = "TorvinelTestDesktopHang";
constexpr char kLateAnswerMessage[] = "TorvinelTestDesktopLateAnswer";
constexpr char kRestartMessage[] = "TorvinelTestDesktopRestart";
constexpr char kExStyleMessage[] = "TorvinelTestDesktopExStyle";
constexpr char kFolderFlagsMessage[] = "TorvinelTestDesktopFolderFlags";

constexpr char kDecoyTitle[] = "Torvinel decoy view";

// Added to the command line of the process a restart starts.
constexpr char kRestartedOption[] = "--restarted";

// Manual-reset events named after the test desktop's process id: set while it holds a
// message; set by the client to let it go.
constexpr char kHungEventPrefix[] = "TorvinelTestDesktopHung.";
constexpr char kResumeEventPrefix[] = "TorvinelTestDesktopResume.";
inline std::string FaultEventName(const char* prefix, DWORD pid) {
    return prefix + std::to_string(pid);
}

}  // namespace testdesk

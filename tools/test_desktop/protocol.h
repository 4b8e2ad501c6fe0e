// What the test desktop (test_desktop.exe) and the programs that drive it agree on.
//
//   test_desktop.exe [--items FILE [--utf8]] [--log FILE] [--dump FILE] [--workerw]
//                    [--emulate-9x] [--size WxH] [--view-object MODE --view-log FILE]
//
// --items   one icon per line: "x y text" (decimal x and y, one space, the text in the
//           ANSI code page up to the line end; CR before LF ignored). No file or an empty
//           file: no icons. With --utf8 the texts are UTF-8 (demo_icons.txt is).
//           Texts of the dump stay in the ANSI code page.
// --log     every LVM_SETITEMPOSITION the list view receives is appended as "index x y"
//           (x and y as the list view takes them: the 16-bit words, sign-extended),
//           one line each, flushed at once.
// --dump    sending kDumpMessage to the Progman window writes "index x y text" for every
//           item, in item order, to this file; the send returns 1 once it is written.
// --workerw the view lives under a top-level "WorkerW" window; Progman has no child.
// --emulate-9x  the 9x shared arena: the test desktop maps the block "TORVINEL" itself
//           and answers every LVM_GETITEMPOSITION from another process by writing into
//           its own view (whatever address came with it), so the NT remote-block
//           position read does not work against it: use it with the 9x scheme only.
// --size    the desktop window's size in pixels (it stands at 0,0); default: the screen.
// --view-object  serve the shell's view-object chain (view_object/view_server.h): MODE
//           "same", "reordered" or "hangs"; needs the registration of
//           view_object/registration.h. --view-log: its SelectAndPositionItems calls.
//           The clear-log message empties this log too.
//
// The user can drag icons with the mouse (moved by LVM_SETITEMPOSITION32: not logged).
// The desktop window stays beneath every other window.
//
// Ready: the Progman window gets its title "Program Manager" only once the icons stand
// at their places (after the list view's first paint), so FindWindowA("Progman",
// "Program Manager") appearing means ready. WM_CLOSE to Progman ends the program.
#pragma once

namespace testdesk {

constexpr char kDumpMessage[] = "TorvinelTestDesktopDump";          // RegisterWindowMessageA
constexpr char kClearLogMessage[] = "TorvinelTestDesktopClearLog";  // empties the --log file

}  // namespace testdesk

// The process behind the desktop list view, and restarting it cleanly: Explorer through
// the Restart Manager (started anew if no desktop is back within 60 s), the project's
// test desktop through its own restart message, anything else not at all.
#pragma once

#include <windows.h>

#include <string>

namespace check {

enum class ShellKind { kExplorer, kTestDesktop, kOther };

struct Shell {
    HWND view = nullptr;
    DWORD pid = 0;
    std::string image;  // the process's file name, UTF-8
    ShellKind kind = ShellKind::kOther;
};

Shell DescribeShell(HWND view);
const char* KindName(ShellKind kind);
// Restarts the shell and waits until its desktop lists at least `minIcons` icons again;
// the new view. Ends the check (environment) when the shell does not come back.
HWND RestartShell(const Shell& shell, int minIcons);

}  // namespace check

// Probes of other processes for the fault tests: ending one the hard way, whether a
// window still answers, a process's open handle count, and the repeat counts of the
// long runs.
#pragma once

#include <windows.h>

namespace e2e {

// Ends a process the hard way (as a crash of the shell would); true once it is gone.
bool KillProcess(DWORD pid);

// Whether the window's thread answers a sent WM_GETTEXT within `timeoutMs`.
bool Answers(HWND window, DWORD timeoutMs = 3000);

// The open handle count of `process` (whose id is `pid`); 0 when it cannot be read.
DWORD HandleCount(HANDLE process, DWORD pid);

// `normal`, or `long_` when TORVINEL_LONG_RUNS is set (the long runs of docs/DEVELOPING.md).
int Repeats(int normal, int long_);

}  // namespace e2e

// What the fault tests share: polling, an icon grid for the test desktop and its saved
// layout, process probes (killing, answering, handle count), and the repeat counts of
// the long runs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tools/test_desktop/test_desktop_client.h"

namespace faults {

constexpr DWORD kPollMs = 10;

// Polls `done` until it holds or `timeoutMs` has passed.
template <typename Pred>
bool WaitFor(Pred done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(kPollMs);
    }
    return true;
}

// `n` icons "icon 0".. on a grid with room for their labels (a list view of overlapping
// icons paints very slowly), and a saved layout of the same names `offset` pixels off.
struct IconGrid {
    std::vector<testdesk::TestItem> items;
    std::vector<e2e::SeedIcon> saved;
};
IconGrid MakeGrid(int n, int offset);

// Ends a process the hard way (as a crash of the shell would); true once it is gone.
bool KillProcess(DWORD pid);

// Whether the window's thread answers a sent WM_GETTEXT within `timeoutMs`.
bool Answers(HWND window, DWORD timeoutMs = 3000);

// The open handle count of `process` (whose id is `pid`); 0 when it cannot be read.
DWORD HandleCount(HANDLE process, DWORD pid);

// `normal`, or `long_` when TORVINEL_LONG_RUNS is set (the long runs of the README).
int Repeats(int normal, int long_);

}  // namespace faults

// Waiting for what another process does: one polling loop, and the waits the tests
// share on top of it.
#pragma once

#include <windows.h>

#include <cstddef>

#include "tools/driver/driver.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "ui/resource.h"

namespace e2e {

constexpr DWORD kPollMs = 10;

// Polls `done` every `pollMs` until it holds or `timeoutMs` has passed; true when it
// held in time.
template <typename Pred>
bool WaitFor(Pred done, DWORD timeoutMs, DWORD pollMs = kPollMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(pollMs);
    }
    return true;
}

// Until the main dialog's list holds `n` lines.
inline bool WaitForLines(HWND main, size_t n, DWORD timeoutMs = 10000) {
    return WaitFor([&] { return driver::ReadListLines(main, IDC_LAYOUT_LIST).size() == n; },
                   timeoutMs);
}

// Until the shell has logged at least `n` position messages.
inline bool WaitForSets(const testdesk::TestDesktop& shell, size_t n, DWORD timeoutMs = 20000) {
    return WaitFor([&] { return shell.SetPositionLog().size() >= n; }, timeoutMs);
}

}  // namespace e2e

// Process probes (see probes.h).
#include "tests/e2e/harness/probes.h"

#include <winternl.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "win/unique_handle.h"

namespace e2e {

bool KillProcess(DWORD pid) {
    win::UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process) return false;
    TerminateProcess(process.Get(), 9);
    return WaitForSingleObject(process.Get(), 10000) == WAIT_OBJECT_0;
}

bool Answers(HWND window, DWORD timeoutMs) {
    wchar_t text[64];
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text),
                               SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

DWORD HandleCount(HANDLE process, DWORD pid) {
    DWORD count = 0;
    if (GetProcessHandleCount(process, &count) && count) return count;
    // Wine answers 0 above: count the process's entries in the system's handle table.
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(SystemHandleInformation, buffer.data(),
                                              static_cast<ULONG>(buffer.size()), &needed)) ==
           static_cast<NTSTATUS>(0xC0000004L))  // STATUS_INFO_LENGTH_MISMATCH
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
    if (status != 0) return 0;
    const auto* table = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data());
    count = 0;
    for (ULONG i = 0; i < table->Count; ++i)
        if (table->Handle[i].OwnerPid == pid) ++count;
    return count;
}

int Repeats(int normal, int long_) { return std::getenv("TORVINEL_LONG_RUNS") ? long_ : normal; }

}  // namespace e2e

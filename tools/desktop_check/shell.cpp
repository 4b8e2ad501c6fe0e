// Finding out and restarting the shell (see shell.h).
#include "tools/desktop_check/shell.h"

#include <restartmanager.h>

#include <cwchar>

#include "tools/desktop_check/icons.h"
#include "tools/desktop_check/report.h"
#include "tools/test_desktop/protocol.h"
#include "win/unique_handle.h"

namespace check {

namespace {
constexpr DWORD kBackTimeoutMs = 60000;

std::wstring ImageOf(DWORD pid) {
    win::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!process || !QueryFullProcessImageNameW(process.Get(), 0, path, &size)) return L"";
    const wchar_t* slash = std::wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

HWND Progman() { return FindWindowA("Progman", "Program Manager"); }

// The test desktop answers its list-view message with the view's handle.
bool IsTestDesktop(HWND view) {
    DWORD_PTR answer = 0;
    HWND progman = Progman();
    return progman &&
           SendMessageTimeoutA(progman, RegisterWindowMessageA(testdesk::kListViewMessage), 0, 0,
                               SMTO_ABORTIFHUNG, 5000, &answer) &&
           reinterpret_cast<HWND>(answer) == view;
}

// Waits for the old process to end, then for a desktop of another process.
HWND WaitForNewDesktop(DWORD oldPid, int minIcons, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND view = WaitForView(minIcons, 500);
        DWORD pid = 0;
        if (view) GetWindowThreadProcessId(view, &pid);
        if (view && pid != oldPid) return view;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(250);
    }
}

HWND RestartExplorer(const Shell& shell, int minIcons) {
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (RmStartSession(&session, 0, key) != ERROR_SUCCESS)
        Environment("restart: no Restart Manager session");
    RM_UNIQUE_PROCESS process = {};
    process.dwProcessId = shell.pid;
    {
        win::UniqueHandle h(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shell.pid));
        FILETIME exit, kernel, user;
        if (!h || !GetProcessTimes(h.Get(), &process.ProcessStartTime, &exit, &kernel, &user)) {
            RmEndSession(session);
            Environment("restart: the shell's process cannot be opened");
        }
    }
    DWORD rc = RmRegisterResources(session, 0, nullptr, 1, &process, 0, nullptr);
    if (rc == ERROR_SUCCESS) rc = RmShutdown(session, 0, nullptr);
    Line("restart: RmShutdown " + std::to_string(rc));
    if (rc == ERROR_SUCCESS)
        Line("restart: RmRestart " + std::to_string(RmRestart(session, 0, nullptr)));
    RmEndSession(session);
    if (HWND view = WaitForNewDesktop(shell.pid, minIcons, kBackTimeoutMs)) return view;
    Line("restart: no desktop back within 60 s; starting explorer.exe");
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    wchar_t command[] = L"explorer.exe";
    if (CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    return WaitForNewDesktop(shell.pid, minIcons, kBackTimeoutMs);
}

HWND RestartTestDesktop(const Shell& shell, int minIcons) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(Progman(), RegisterWindowMessageA(testdesk::kRestartMessage), 0, 0,
                             SMTO_ABORTIFHUNG, 5000, &answer) ||
        answer != 1)
        Environment("restart: the test desktop did not take its restart message");
    return WaitForNewDesktop(shell.pid, minIcons, kBackTimeoutMs);
}
}  // namespace

Shell DescribeShell(HWND view) {
    Shell shell;
    shell.view = view;
    GetWindowThreadProcessId(view, &shell.pid);
    const std::wstring image = ImageOf(shell.pid);
    shell.image = FromWide(image);
    if (_wcsicmp(image.c_str(), L"explorer.exe") == 0)
        shell.kind = ShellKind::kExplorer;
    else if (IsTestDesktop(view))
        shell.kind = ShellKind::kTestDesktop;
    return shell;
}

const char* KindName(ShellKind kind) {
    switch (kind) {
        case ShellKind::kExplorer:
            return "Explorer";
        case ShellKind::kTestDesktop:
            return "the test desktop";
        case ShellKind::kOther:
            break;
    }
    return "another shell";
}

HWND RestartShell(const Shell& shell, int minIcons) {
    HWND view = nullptr;
    if (shell.kind == ShellKind::kExplorer)
        view = RestartExplorer(shell, minIcons);
    else if (shell.kind == ShellKind::kTestDesktop)
        view = RestartTestDesktop(shell, minIcons);
    else
        Environment("restart: this shell cannot be restarted by the check");
    if (!view) Environment("restart: no desktop with the icons back within the time limit");
    return view;
}

}  // namespace check

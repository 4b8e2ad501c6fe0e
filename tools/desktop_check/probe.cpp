// The probe's lines (see probe.h).
#include "tools/desktop_check/probe.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "tools/desktop_check/icons.h"
#include "tools/desktop_check/report.h"
#include "tools/desktop_check/settings.h"
#include "win/unique_handle.h"

namespace check {

namespace {
std::string Hex(unsigned long long value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", value);
    return text;
}

std::string RectText(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

std::string ClassOf(HWND hwnd) {
    char cls[128] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    return cls;
}

void PrintTree(HWND hwnd, int depth) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    RECT r = {};
    GetWindowRect(hwnd, &r);
    Line("probe: tree " + std::string(static_cast<size_t>(depth) * 2, ' ') + ClassOf(hwnd) +
         " id " + std::to_string(GetDlgCtrlID(hwnd)) + " style " +
         Hex(static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE))) + " pid " +
         std::to_string(pid) + " " + RectText(r));
    if (depth > 4) return;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        PrintTree(child, depth + 1);
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info))
        Line("probe: monitor " + RectText(info.rcMonitor) + " work area " + RectText(info.rcWork) +
             ((info.dwFlags & MONITORINFOF_PRIMARY) ? " primary" : ""));
    return TRUE;
}

std::string IntegrityOf(DWORD pid) {
    win::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    win::UniqueHandle token;
    if (!process || !OpenProcessToken(process.Get(), TOKEN_QUERY, token.Put())) return "unknown";
    BYTE buffer[256] = {};
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), TokenIntegrityLevel, buffer, sizeof buffer, &size))
        return "unknown";
    PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
    const DWORD level = *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1u);
    const char* name = level >= SECURITY_MANDATORY_SYSTEM_RID   ? "system"
                       : level >= SECURITY_MANDATORY_HIGH_RID   ? "high"
                       : level >= SECURITY_MANDATORY_MEDIUM_RID ? "medium"
                       : level >= SECURITY_MANDATORY_LOW_RID    ? "low"
                                                                : "untrusted";
    return std::string(name) + " (" + Hex(level) + ")";
}

std::string SessionOf(DWORD pid) {
    DWORD session = 0;
    return ProcessIdToSessionId(pid, &session) ? std::to_string(session) : "unknown";
}
}  // namespace

void PrintMachine() {
    Line("probe: ANSI code page " + std::to_string(GetACP()) + ", OEM code page " +
         std::to_string(GetOEMCP()));
    Line("probe: screen " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
         std::to_string(GetSystemMetrics(SM_CYSCREEN)) + ", virtual screen " +
         std::to_string(GetSystemMetrics(SM_CXVIRTUALSCREEN)) + "x" +
         std::to_string(GetSystemMetrics(SM_CYVIRTUALSCREEN)));
    EnumDisplayMonitors(nullptr, nullptr, &PrintMonitor, 0);
    if (HDC screen = GetDC(nullptr)) {
        Line("probe: DPI " + std::to_string(GetDeviceCaps(screen, LOGPIXELSX)));
        ReleaseDC(nullptr, screen);
    }
    Line("probe: this process: session " + SessionOf(GetCurrentProcessId()) + ", integrity " +
         IntegrityOf(GetCurrentProcessId()));
}

void PrintDesktop(const Shell& shell) {
    Line("probe: shell process " + std::to_string(shell.pid) + " (" + shell.image + ", " +
         KindName(shell.kind) + "): session " + SessionOf(shell.pid) + ", integrity " +
         IntegrityOf(shell.pid));
    HWND top = shell.view;
    while (HWND parent = GetParent(top)) top = parent;
    PrintTree(top, 0);
    if (HWND progman = FindWindowA("Progman", nullptr); progman && progman != top)
        PrintTree(progman, 0);
    Line("probe: list view " + Describe(ReadSettings(shell.view)));
    const SIZE spacing = Spacing(shell.view);
    Line("probe: icon spacing " + std::to_string(spacing.cx) + "x" + std::to_string(spacing.cy));
    const Icons icons = ReadIcons(shell.view);
    Line("probe: " + std::to_string(icons.size()) + " icons");
    for (const Icon& icon : icons) {
        Line("probe: icon (" + std::to_string(icon.x) + ", " + std::to_string(icon.y) + ") " +
             FromAnsi(icon.name));
        // No file name holds '?': one read back with it was not shown by the code page.
        if (icon.name.find('?') != std::string::npos)
            Line("probe: code page " + std::to_string(GetACP()) + " cannot show the name of " +
                 FromAnsi(icon.name));
    }
}

}  // namespace check

// The dialog driver: window look-ups by caption and control operations across processes.
#include "tools/driver/driver.h"

#include "ui/resource.h"

namespace driver {

const wchar_t kMainCaption[] = L"ナラベ・リオン";
const wchar_t kTitleCaption[] = L"タイトルの入力";

namespace {
constexpr DWORD kPollMs = 20;

struct Search {
    DWORD pid;
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (std::wstring(cls) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (s->pid && pid != s->pid) return TRUE;
    if (ReadText(hwnd) != *s->caption) return TRUE;
    s->found = hwnd;
    return FALSE;
}
struct ControlSearch {
    DWORD pid;
    int controlId;
    HWND except;
    HWND found;
};

BOOL CALLBACK MatchDialogWith(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<ControlSearch*>(param);
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (hwnd == s->except || std::wstring(cls) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || !GetDlgItem(hwnd, s->controlId)) return TRUE;
    s->found = hwnd;
    return FALSE;
}
}  // namespace

bool Process::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
    if (!m_process || WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode) GetExitCodeProcess(m_process.Get(), exitCode);
    return true;
}

void Process::Terminate() const {
    if (m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_process.Get(), 99);
        WaitForSingleObject(m_process.Get(), 5000);
    }
}

Process Start(const std::wstring& exePath) {
    std::wstring commandLine = L"\"" + exePath + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi))
        return Process();
    CloseHandle(pi.hThread);
    return Process(pi.hProcess, pi.dwProcessId);
}

HWND FindDialog(DWORD pid, const std::wstring& caption) {
    Search s{pid, &caption, nullptr};
    EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND WaitForDialog(DWORD pid, const std::wstring& caption, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND hwnd = FindDialog(pid, caption)) return hwnd;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(kPollMs);
    }
}

HWND FindDialogWith(DWORD pid, int controlId, HWND except) {
    ControlSearch s{pid, controlId, except, nullptr};
    EnumWindows(&MatchDialogWith, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND WaitForDialogWith(DWORD pid, int controlId, DWORD timeoutMs, HWND except) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND hwnd = FindDialogWith(pid, controlId, except)) return hwnd;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(kPollMs);
    }
}

bool WaitForClose(HWND hwnd, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(kPollMs);
    }
    return true;
}

std::wstring ReadText(HWND window) {
    const int len = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), len + 1)));
    return text;
}

bool IsEnabled(HWND window) { return IsWindowEnabled(window) != FALSE; }

ButtonState ReadButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return ButtonState{ReadText(button), IsEnabled(button)};
}

std::vector<std::wstring> ReadListLines(HWND dialog, int listId) {
    HWND list = GetDlgItem(dialog, listId);
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT len = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::wstring line(len > 0 ? static_cast<size_t>(len) + 1 : 1, L'\0');
        const LRESULT got =
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
        line.resize(got > 0 ? static_cast<size_t>(got) : 0);
        lines.push_back(line);
    }
    return lines;
}

int ReadListSelection(HWND dialog, int listId) {
    return static_cast<int>(SendMessageW(GetDlgItem(dialog, listId), LB_GETCURSEL, 0, 0));
}

void SelectListLine(HWND dialog, int listId, int index) {
    HWND list = GetDlgItem(dialog, listId);
    SendMessageW(list, LB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

void PressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ClickButton(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::wstring ReadMessageBoxText(HWND box) { return ReadText(GetDlgItem(box, 0xFFFF)); }

void AnswerMessageBox(HWND box, int buttonId) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
}

void PostCommand(HWND dialog, int commandId) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

void PostSysCommand(HWND dialog, WPARAM command) {
    PostMessageW(dialog, WM_SYSCOMMAND, command, 0);
}

void PostClose(HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }

void PressEscape(HWND dialog) {
    PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(dialog, WM_KEYUP, VK_ESCAPE, 0xC0000001);
}

void PressEnterOn(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    PostMessageW(control, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(control, WM_KEYUP, VK_RETURN, 0xC0000001);
}

bool EnterTitle(const std::wstring& title, DWORD timeoutMs) {
    HWND box = WaitForDialog(0, kTitleCaption, timeoutMs);
    if (!box) return false;
    SetDlgItemTextW(box, IDC_TITLE, title.c_str());
    ClickButton(box, IDOK);
    return WaitForClose(box, timeoutMs);
}

void PressF1(HWND dialog, WORD modifier) {
    // F1 becomes WM_HELP only as real keyboard input, so it is typed, not posted,
    // once the dialog is the foreground window that receives it.
    const DWORD start = GetTickCount();
    while (GetForegroundWindow() != dialog && GetTickCount() - start < 3000) {
        SetForegroundWindow(dialog);
        Sleep(kPollMs);
    }
    INPUT keys[4] = {};
    UINT n = 0;
    auto key = [&](WORD vk, DWORD flags) {
        keys[n].type = INPUT_KEYBOARD;
        keys[n].ki.wVk = vk;
        keys[n++].ki.dwFlags = flags;
    };
    if (modifier) key(modifier, 0);
    key(VK_F1, 0);
    key(VK_F1, KEYEVENTF_KEYUP);
    if (modifier) key(modifier, KEYEVENTF_KEYUP);
    SendInput(n, keys, sizeof(INPUT));
}

}  // namespace driver

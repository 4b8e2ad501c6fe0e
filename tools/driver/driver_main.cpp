// driver.exe: the dialog driver for scripted demos. One action per call on the
// running TORVINEL.EXE (found by caption); output is UTF-8, one item per line.
//   driver start PATH              start, wait for the main dialog, print the pid
//   driver state                   buttons (id, enabled, label), list lines, selection
//   driver select N                select line N as the user would
//   driver click ID                press button ID (1000 remember, 1001, 1005, 1002 delete)
//   driver box CAPTION [ANSWER]    print a message box's text; answer ok|yes|no|cancel
//   driver title TEXT              fill the title dialog of remember with TEXT, press OK
//   driver wait-idle [MS]          wait until a restore has ended (remember enabled again)
//   driver move X Y                move the main dialog to screen position X, Y
//   driver scramble SEED           move every desktop icon to a random place, print how many
//   driver close-desktop           close the running test desktop
//   driver menu ID | syscmd ID     post a menu command / system command
//   driver close | escape | enter  end the dialog by close box, Escape, Enter on the list
//   driver f1                      press F1 on the main dialog
//   driver wait-exit PID [MS]      wait for the process to end, print its exit code
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <map>
#include <string>

#include "tools/driver/driver.h"
#include "tools/driver/scramble.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "ui/resource.h"

namespace {
void Print(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), n, nullptr, nullptr);
    std::printf("%s\n", utf8.c_str());
}

int Fail(const wchar_t* what) {
    Print(std::wstring(L"driver: ") + what);
    return 1;
}

HWND Main() { return driver::WaitForDialog(0, driver::kMainCaption, 5000); }
}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    // Screen positions on the command line are pixels, whatever the display scaling.
    SetProcessDPIAware();
    if (argc < 2) return Fail(L"usage: see the comment atop driver_main.cpp");
    const std::wstring cmd = argv[1];
    const std::wstring arg = argc > 2 ? argv[2] : L"";

    if (cmd == L"start") {
        driver::Process p = driver::Start(arg);
        if (!p || !driver::WaitForDialog(p.id(), driver::kMainCaption, 10000))
            return Fail(L"the main dialog did not show");
        Print(std::to_wstring(p.id()));
        return 0;
    }
    if (cmd == L"wait-exit") {
        HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                               static_cast<DWORD>(std::wcstoul(arg.c_str(), nullptr, 10)));
        if (!h) return 0;  // already gone
        driver::Process p(h, 0);
        DWORD code = 0;
        const DWORD ms = argc > 3 ? static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)) : 5000;
        if (!p.WaitForExit(ms, &code)) return Fail(L"still running");
        Print(std::to_wstring(code));
        return 0;
    }
    if (cmd == L"box") {
        HWND box = driver::WaitForDialog(0, arg, 5000);
        if (!box) return Fail(L"no such message box");
        Print(driver::ReadMessageBoxText(box));
        static const std::map<std::wstring, int> answers{
            {L"ok", IDOK}, {L"yes", IDYES}, {L"no", IDNO}, {L"cancel", IDCANCEL}};
        if (argc > 3) {
            auto it = answers.find(argv[3]);
            if (it == answers.end()) return Fail(L"unknown answer");
            driver::AnswerMessageBox(box, it->second);
        }
        return 0;
    }

    if (cmd == L"title") {
        if (!driver::EnterTitle(arg)) return Fail(L"no title dialog, or it stays");
        return 0;
    }
    if (cmd == L"scramble") {
        const int moved = driver::ScrambleDesktop(std::wcstoul(arg.c_str(), nullptr, 10));
        if (moved < 0) return Fail(L"no desktop list view");
        Print(std::to_wstring(moved));
        return 0;
    }
    if (cmd == L"close-desktop") {
        testdesk::CloseRunningTestDesktops();
        return 0;
    }

    HWND dlg = Main();
    if (!dlg) return Fail(L"the main dialog is not there");
    const int n = static_cast<int>(std::wcstol(arg.c_str(), nullptr, 0));
    if (cmd == L"state") {
        for (int id : {IDC_REMEMBER, IDC_RESTORE, IDC_FUN_RESTORE, IDC_DELETE}) {
            const driver::ButtonState b = driver::ReadButton(dlg, id);
            Print(std::to_wstring(id) + (b.enabled ? L" enabled " : L" disabled ") + b.text);
        }
        for (const std::wstring& line : driver::ReadListLines(dlg, IDC_LAYOUT_LIST))
            Print(L"line " + line);
        Print(L"selection " + std::to_wstring(driver::ReadListSelection(dlg, IDC_LAYOUT_LIST)));
    } else if (cmd == L"select") {
        driver::SelectListLine(dlg, IDC_LAYOUT_LIST, n);
    } else if (cmd == L"click") {
        driver::ClickButton(dlg, n);
    } else if (cmd == L"wait-idle") {
        // The busy dialog disables remember until the restore has ended.
        const DWORD ms = arg.empty() ? 60000 : static_cast<DWORD>(n);
        const DWORD start = GetTickCount();
        while (!driver::IsEnabled(GetDlgItem(dlg, IDC_REMEMBER))) {
            if (GetTickCount() - start >= ms) return Fail(L"still busy");
            Sleep(20);
        }
    } else if (cmd == L"move") {
        const int y = argc > 3 ? static_cast<int>(std::wcstol(argv[3], nullptr, 10)) : 0;
        SetWindowPos(dlg, nullptr, n, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (cmd == L"menu") {
        driver::PostCommand(dlg, n);
    } else if (cmd == L"syscmd") {
        driver::PostSysCommand(dlg, static_cast<WPARAM>(n));
    } else if (cmd == L"close") {
        driver::PostClose(dlg);
    } else if (cmd == L"escape") {
        driver::PressEscape(dlg);
    } else if (cmd == L"f1") {
        driver::PressF1(dlg);
    } else if (cmd == L"enter") {
        driver::PressEnterOn(dlg, IDC_LAYOUT_LIST);
    } else {
        return Fail(L"unknown command");
    }
    return 0;
}

// desktop_check.exe: TORVINEL.EXE against whatever desktop this machine has (Explorer on
// Windows, the test desktop or Wine's own shell view under Wine), driven as a user would.
//   desktop_check --probe [--icons N] [--wait S] [--shots DIR] [--log FILE]
//   desktop_check --run [--icons N] [--wait S] [--exe PATH] [--shots DIR] [--log FILE]
//                 [--no-restart] [--expect-snapshot]
// --probe prints what it finds. --run waits until at least N icons are listed, records
// every place and the desktop's settings (auto arrange, snap to grid, the view object's
// folder flags), which it leaves as they are, lays the icons out its own way on grid points
// of the icon spacing, remembers them in TORVINEL.EXE, scrambles and restores them
// (instant), swaps two icons and restores, scrambles and restores enjoyably (watched); at
// each restore it prints the settings before and after, answers Yes where the program asks
// to switch auto arrange off, and checks every icon exactly right after the restore and a
// second later. Then it restarts the shell and checks they stand where the restore put
// them, closes the program, checks the registry and, as a control that never fails,
// scrambles by list-view messages alone and restarts again. Exit codes: report.h.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cwchar>
#include <string>

#include "tools/desktop_check/report.h"
#include "tools/desktop_check/run.h"
#include "tools/desktop_check/screenshot.h"

namespace {

std::wstring BesideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    dir.resize(dir.find_last_of(L"\\/") + 1);
    return dir + name;
}

std::string Narrow(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string a(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, a.data(), n, nullptr, nullptr);
    a.resize(a.size() - 1);
    return a;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    // Places and screenshots in pixels, whatever the display scaling.
    SetProcessDPIAware();
    bool probe = false, run = false;
    check::RunOptions o;
    o.exePath = BesideThisProgram(L"TORVINEL.EXE");
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == L"--probe")
            probe = true;
        else if (a == L"--run")
            run = true;
        else if (a == L"--icons" && hasValue)
            o.icons = static_cast<int>(std::wcstol(argv[++i], nullptr, 10));
        else if (a == L"--wait" && hasValue)
            o.waitSeconds = static_cast<unsigned>(std::wcstoul(argv[++i], nullptr, 10));
        else if (a == L"--exe" && hasValue)
            o.exePath = argv[++i];
        else if (a == L"--shots" && hasValue)
            check::SetScreenshotFolder(Narrow(argv[++i]));
        else if (a == L"--log" && hasValue)
            check::OpenLog(Narrow(argv[++i]));
        else if (a == L"--no-restart")
            o.restart = false;
        else if (a == L"--expect-snapshot")
            o.expectSnapshot = true;
        else {
            check::Line("usage: desktop_check --probe|--run [options]; see check_main.cpp");
            return check::kUsage;
        }
    }
    if (probe == run) {
        check::Line("usage: desktop_check --probe|--run [options]; see check_main.cpp");
        return check::kUsage;
    }
    try {
        if (probe)
            check::Probe(o.icons, o.waitSeconds);
        else
            check::Run(o);
    } catch (const check::Stop& stop) {
        check::Line(stop.line);
        return stop.exit;
    }
    return check::kPassed;
}

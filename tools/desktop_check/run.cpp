// The check's run (see check_main.cpp): every step a line, a screenshot at each check.
#include "tools/desktop_check/run.h"

#include <windows.h>
#include <commctrl.h>

#include "tools/desktop_check/icons.h"
#include "tools/desktop_check/moves.h"
#include "tools/desktop_check/probe.h"
#include "tools/desktop_check/program.h"
#include "tools/desktop_check/report.h"
#include "tools/desktop_check/screenshot.h"
#include "tools/desktop_check/settings.h"
#include "tools/desktop_check/shell.h"
#include "tools/desktop_check/store_check.h"
#include "ui/resource.h"

namespace check {

namespace {
constexpr int kGlideShots = 3;
// How long after a restore the places are read again: long enough for a desktop that
// snaps its icons once snapping is back on.
constexpr DWORD kSettleMs = 1000;

std::string Place(const Icon& icon) {
    return "(" + std::to_string(icon.x) + ", " + std::to_string(icon.y) + ") " +
           FromAnsi(icon.name);
}

void Shot(const std::string& name) {
    const std::string path = TakeScreenshot(name);
    if (!path.empty()) Line("screenshot: " + FromAnsi(path));
}

HWND WaitForDesktop(int icons, unsigned waitSeconds) {
    HWND view = WaitForView(icons, waitSeconds * 1000);
    if (view) return view;
    const bool input = [] {
        HDESK desk = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
        if (desk) CloseDesktop(desk);
        return desk != nullptr;
    }();
    HWND any = FindView();
    DWORD_PTR count = 0;
    if (any) SendMessageTimeoutA(any, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
    Environment(
        any ? "the desktop lists " + std::to_string(count) + " icons, not the " +
                  std::to_string(icons) + " wanted, after " + std::to_string(waitSeconds) + " s"
            : std::string("no shell desktop (no list view under Progman or WorkerW) "
                          "within ") +
                  std::to_string(waitSeconds) + " s; input desktop " + (input ? "open" : "none") +
                  ", screen " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
                  std::to_string(GetSystemMetrics(SM_CYSCREEN)));
}

bool AutoArranges(HWND view) { return GetWindowLongPtrA(view, GWL_STYLE) & LVS_AUTOARRANGE; }

// Every icon of `wanted` exactly at its place in `now`.
void ExpectPlaces(const std::string& step, const Icons& wanted, const Icons& now) {
    if (now.size() < wanted.size())
        Difference(step + ": " + std::to_string(now.size()) + " icons listed, " +
                   std::to_string(wanted.size()) + " remembered");
    const std::string misplaced = FirstMisplaced(wanted, now, 0, 0);
    if (!misplaced.empty()) Difference(step + ": " + misplaced);
}

void ExpectBack(const std::string& step, HWND view, const Icons& wanted) {
    const Icons now = ReadIcons(view);
    Shot(step);
    ExpectPlaces(step, wanted, now);
    Line(step + ": every icon back (" + std::to_string(wanted.size()) + " icons, exactly)");
}

// A restore of `title` by `button`, the desktop's settings printed before and after it;
// then every icon must stand exactly at its place, right away and a moment later (when
// a desktop that snaps has had its snapping back on for a while).
template <typename WhileBusy>
DWORD RestoreAndCheck(const std::string& step, const Program& program, const std::wstring& title,
                      int button, HWND view, const Icons& wanted, WhileBusy whileBusy) {
    const Settings before = ReadSettings(view);
    Line(step + ": before, " + Describe(before));
    const DWORD ms = program.Restore(title, button, before.AutoArranges(), whileBusy);
    const Icons right = ReadIcons(view);
    Line(step + ": ended after " + std::to_string(ms) + " ms");
    Line(step + ": after, " + Describe(ReadSettings(view)));
    Shot(step);
    ExpectPlaces(step, wanted, right);
    Sleep(kSettleMs);
    const Icons later = ReadIcons(view);
    const int moved = CountMoved(right, later);
    Line(step + ": " + std::to_string(moved) + " icons moved in the " + std::to_string(kSettleMs) +
         " ms after the restore (snapping was " + (before.Snaps() ? "on" : "off") + " before it)");
    ExpectPlaces(step + ", a moment later", wanted, later);
    Line(step + ": every icon back (" + std::to_string(wanted.size()) + " icons, exactly)");
    return ms;
}

// The enjoyable restore, watched: how long it took, how many moves could be seen, and a
// few screenshots during the glide.
void WatchGlide(const Program& program, const std::wstring& title, HWND view, const Icons& wanted) {
    Icons last = ReadIcons(view);
    long changes = 0;
    int samples = 0, shots = 0;
    const DWORD ms =
        RestoreAndCheck("enjoyable restore", program, title, IDC_FUN_RESTORE, view, wanted, [&] {
            const Icons now = ReadIcons(view);
            if (now.size() == last.size()) changes += CountMoved(last, now);
            last = now;
            if (++samples % 4 == 0 && shots < kGlideShots) Shot("glide-" + std::to_string(++shots));
        });
    Line("glide: the enjoyable restore took " + std::to_string(ms) + " ms; " +
         std::to_string(changes) + " icon moves seen in " + std::to_string(samples) + " looks (" +
         std::to_string(ms ? changes * 1000 / static_cast<long>(ms) : 0) +
         " per second; each is at least one position message)");
}
}  // namespace

void Probe(int icons, unsigned waitSeconds) {
    PrintMachine();
    const Shell shell = DescribeShell(WaitForDesktop(icons, waitSeconds));
    PrintDesktop(shell);
    Shot("probe");
}

void Run(const RunOptions& o) {
    Line("run: code page " + std::to_string(GetACP()) + ", waiting for " + std::to_string(o.icons) +
         " icons");
    HWND view = WaitForDesktop(o.icons, o.waitSeconds);
    const Shell shell = DescribeShell(view);
    Line("desktop: " + std::string(KindName(shell.kind)) + " (" + shell.image + ", process " +
         std::to_string(shell.pid) + ")");
    for (const Icon& icon : ReadIcons(view)) {
        Line("desktop: place " + Place(icon));
        if (icon.name.find('?') != std::string::npos)
            Line("desktop: code page " + std::to_string(GetACP()) +
                 " cannot show this name (reported, not a fault)");
    }
    Line("desktop: settings, left as they are: " + Describe(ReadSettings(view)));
    Shot("start");
    const Icons arranged = Arrange(view, AutoArranges(view));
    Shot("arranged");

    Program program(o.exePath);
    program.Remember(o.title);
    Line("remember: \"" + FromWide(o.title) + "\" listed");

    Scramble(view, 1, arranged, AutoArranges(view));
    Shot("scrambled");
    RestoreAndCheck("instant restore", program, o.title, IDC_RESTORE, view, arranged, [] {});

    Swap(view, arranged, AutoArranges(view));
    Shot("swapped");
    RestoreAndCheck("swap restore", program, o.title, IDC_RESTORE, view, arranged, [] {});

    Scramble(view, 2, arranged, AutoArranges(view));
    WatchGlide(program, o.title, view, arranged);

    if (o.restart) {
        view = RestartShell(shell, o.icons);
        Line("restart: the desktop is back; " + Describe(ReadSettings(view)));
        ExpectBack("after the restart", view, arranged);
    } else {
        Line("restart: not asked for; skipped");
    }

    program.Close();
    Line("close: the program ended with exit code 0");
    std::string ansiTitle;
    for (wchar_t c : o.title) ansiTitle.push_back(static_cast<char>(c));
    CheckStore(ansiTitle, o.expectSnapshot);

    if (o.restart) {
        // Control: places set by list-view messages alone, then a restart.
        const Icons scrambled = Scramble(view, 3, ReadIcons(view), AutoArranges(view));
        Shot("control-scrambled");
        view = RestartShell(DescribeShell(view), o.icons);
        const Icons after = ReadIcons(view);
        Shot("control-after-restart");
        const int kept = CountAtPlace(scrambled, after);
        const int lost = static_cast<int>(scrambled.size()) - kept;
        const int told = CountAtPlace(arranged, after);
        Line("control: " + std::to_string(lost) + " of " + std::to_string(scrambled.size()) +
             " list-view-only places lost over the restart (" + std::to_string(told) +
             " icons back where the restore told the shell)" +
             (lost == static_cast<int>(scrambled.size()) ? "; list-view-only positions were lost"
                                                         : "; list-view-only positions survived"));
    }
    Line("PASSED");
}

}  // namespace check

// The check's run (see check_main.cpp): every step a line, a screenshot at each check.
#include "tools/desktop_check/run.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "tools/desktop_check/icons.h"
#include "tools/desktop_check/probe.h"
#include "tools/desktop_check/program.h"
#include "tools/desktop_check/report.h"
#include "tools/desktop_check/screenshot.h"
#include "tools/desktop_check/shell.h"
#include "tools/desktop_check/store_check.h"
#include "tools/driver/scramble.h"
#include "ui/resource.h"

namespace check {

namespace {
constexpr int kGlideShots = 3;

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

// Auto arrange and grid snapping off where the desktop lets us; true when the view
// still snaps (places then count within half the spacing).
bool ArrangeByHand(HWND view) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(view, GWL_STYLE));
    if (style & LVS_AUTOARRANGE)
        SetWindowLongPtrA(view, GWL_STYLE, static_cast<LONG_PTR>(style & ~LVS_AUTOARRANGE));
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(view, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_SNAPTOGRID, 0, SMTO_ABORTIFHUNG,
                        5000, &ignored);
    Line("desktop: for the run " + ArrangeStyles(view));
    if (GetWindowLongPtrA(view, GWL_STYLE) & LVS_AUTOARRANGE)
        Environment("the desktop keeps arranging its icons itself (auto arrange stays on)");
    DWORD_PTR ex = 0;
    SendMessageTimeoutA(view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, SMTO_ABORTIFHUNG, 5000, &ex);
    return (ex & LVS_EX_SNAPTOGRID) != 0;
}

int CountMoved(const Icons& before, const Icons& after) {
    return static_cast<int>(before.size()) - CountAtPlace(before, after);
}

// Another arrangement than the shell's own (row by row, last icon first), so that a
// restart which forgot what the restore told it shows.
Icons Arrange(HWND view) {
    const Icons before = ReadIcons(view);
    const SIZE spacing = Spacing(view);
    RECT client = {};
    GetClientRect(view, &client);
    const int step = std::max<int>(spacing.cx, 64);
    const int columns = std::max(1, static_cast<int>(client.right - 2 * step) / step);
    const int n = static_cast<int>(before.size());
    for (int i = 0; i < n; ++i) {
        const int k = n - 1 - i;
        MoveIcon(view, i, step + (k % columns) * step,
                 std::max<int>(spacing.cy, 64) * (1 + k / columns));
    }
    const Icons after = ReadIcons(view);
    if (n > 1 && CountMoved(before, after) == 0)
        Environment("the desktop's list view refuses positions set by messages: nothing moved");
    return after;
}

Icons Scramble(HWND view, unsigned seed, const Icons& from) {
    driver::ScrambleDesktop(seed);
    const Icons now = ReadIcons(view);
    const int moved = CountMoved(from, now);
    Line("scramble: " + std::to_string(moved) + " of " + std::to_string(from.size()) +
         " icons moved (list-view messages)");
    if (from.size() > 1 && moved == 0)
        Environment("the desktop's list view refuses positions set by messages: nothing moved");
    return now;
}

void ExpectBack(const char* step, HWND view, const Icons& wanted, bool snaps) {
    const SIZE spacing = Spacing(view);
    const int slackX = snaps ? spacing.cx / 2 : 0, slackY = snaps ? spacing.cy / 2 : 0;
    const Icons now = ReadIcons(view);
    Shot(step);
    if (now.size() < wanted.size())
        Difference(std::string(step) + ": " + std::to_string(now.size()) + " icons listed, " +
                   std::to_string(wanted.size()) + " remembered");
    const std::string misplaced = FirstMisplaced(wanted, now, slackX, slackY);
    if (!misplaced.empty()) Difference(std::string(step) + ": " + misplaced);
    Line(std::string(step) + ": every icon back (" + std::to_string(wanted.size()) + " icons, " +
         (snaps ? "within half the spacing" : "exactly") + ")");
}

// The enjoyable restore, watched: how long it took, how many moves could be seen, and a
// few screenshots during the glide.
void WatchGlide(const Program& program, const std::wstring& title, HWND view) {
    Icons last = ReadIcons(view);
    long changes = 0;
    int samples = 0, shots = 0;
    const DWORD ms = program.Restore(title, IDC_FUN_RESTORE, [&] {
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
    Shot("start");
    const bool snaps = ArrangeByHand(view);
    const Icons arranged = Arrange(view);
    Shot("arranged");

    Program program(o.exePath);
    program.Remember(o.title);
    Line("remember: \"" + FromWide(o.title) + "\" listed");

    Scramble(view, 1, arranged);
    Shot("scrambled");
    const DWORD instantMs = program.Restore(o.title, IDC_RESTORE, [] {});
    Line("restore: instant restore ended after " + std::to_string(instantMs) + " ms");
    ExpectBack("instant restore", view, arranged, snaps);

    Scramble(view, 2, arranged);
    WatchGlide(program, o.title, view);
    ExpectBack("enjoyable restore", view, arranged, snaps);

    if (o.restart) {
        view = RestartShell(shell, o.icons);
        Line("restart: the desktop is back; " + ArrangeStyles(view));
        ExpectBack("after the restart", view, arranged, snaps || ArrangeByHand(view));
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
        const Icons scrambled = Scramble(view, 3, ReadIcons(view));
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

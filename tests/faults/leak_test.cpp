// Many captures, and many restores, in one run leave nothing behind: the program's
// handle count and its own committed memory stay flat, and the shell's process keeps no
// remote blocks (its committed private memory does not grow by a block per operation).
// The probes are checked first against a planted leak.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/e2e/harness/app.h"
#include "tests/e2e/harness/buttons.h"
#include "tests/e2e/harness/fixture.h"
#include "tests/e2e/harness/grids.h"
#include "tests/e2e/harness/probes.h"
#include "tests/e2e/harness/registry.h"
#include "tests/e2e/harness/waits.h"
#include "ui/resource.h"
#include "win/unique_handle.h"

namespace {

using testdesk::TestDesktop;
using Leaks = e2e::Fixture;

constexpr int kTitles = 4;  // titles cycle: every later capture overwrites a layout
constexpr int kWarmUp = 20;
constexpr SIZE_T kBlock = 4096;

// Committed private bytes of another process (a walk of its address space).
SIZE_T CommittedPrivate(HANDLE process) {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION mbi;
    for (char* p = nullptr;
         VirtualQueryEx(process, p, &mbi, sizeof mbi) == sizeof mbi && mbi.RegionSize;
         p = static_cast<char*>(mbi.BaseAddress) + mbi.RegionSize) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
    }
    return total;
}

// Each capture waits on two boxes and each restore on its end: polled briskly, so
// the waits do not make up most of the run.
constexpr DWORD kBriskMs = 1;

// A visible dialog of `pid` with this caption.
HWND WaitBriskly(DWORD pid, const wchar_t* caption) {
    HWND found = nullptr;
    e2e::WaitFor([&] { return (found = driver::FindDialog(pid, caption)) != nullptr; }, 10000,
                 kBriskMs);
    return found;
}

bool Gone(HWND window) {
    return e2e::WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, 10000,
                        kBriskMs);
}

// What the leak checks read, from outside both processes.
struct Figures {
    DWORD handles;      // TORVINEL.EXE
    SIZE_T exeMemory;   // TORVINEL.EXE, committed private
    SIZE_T deskMemory;  // the shell, committed private
};

class Probe {
public:
    Probe(DWORD exePid, DWORD deskPid)
        : m_exePid(exePid),
          m_exe(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, exePid)),
          m_desk(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, deskPid)) {}
    bool Ok() const { return m_exe && m_desk; }
    Figures Read() const {
        return {e2e::HandleCount(m_exe.Get(), m_exePid), CommittedPrivate(m_exe.Get()),
                CommittedPrivate(m_desk.Get())};
    }

private:
    DWORD m_exePid;
    win::UniqueHandle m_exe;
    win::UniqueHandle m_desk;
};

// The figures once the handle count has held for half a second (at most 10 s). A
// restore waits for its commit only until the view object is told (or found missing);
// the commit's thread then still releases what it holds and leaves its apartment, with
// the handles that takes.
Figures ReadAtRest(const Probe& probe) {
    Figures figures = probe.Read();
    int same = 0;
    for (const DWORD start = GetTickCount(); same < 5 && GetTickCount() - start < 10000;) {
        Sleep(100);
        const Figures next = probe.Read();
        same = next.handles == figures.handles ? same + 1 : 0;
        figures = next;
    }
    return figures;
}

// What Wine itself commits, once, in a process whose single-threaded apartments ask an
// out-of-process COM server: a step of 3,136 KiB of private memory at some call, then
// nothing more. A program of only those calls shows it (platform_memory_probe.exe
// shellwindows: new threads asking the shell's ShellWindows for the desktop; the same
// threads without that call stay flat). Each restore's view-object commit asks it.
constexpr SIZE_T kWineComStep = 3136 * 1024;

// What Wine keeps of every line of text a dialog or message box shows under common
// controls 6: its static control allocates 24 bytes for its font and frees them only
// for an icon, so each box leaves one block of the process heap.
// platform_memory_probe.exe dialog and messagebox show one block of 24 bytes a run, and
// a new 64 KiB of committed memory every 1,365 runs (48 bytes a block with its header);
// the same dialog without its line of text leaves nothing. Each capture shows two: the
// title dialog and the question whether to overwrite.
constexpr SIZE_T kWineTextBlock = 48;
constexpr int kTextsPerCapture = 2;

// Prints the figures and checks that `operations` after the warm-up left nothing of
// ours behind, beyond `wine` bytes that Wine itself keeps.
void ExpectFlat(const char* what, int operations, DWORD ms, const Figures& warm, const Figures& end,
                SIZE_T wine) {
    std::printf("%d %s after warm-up in %lu ms (%.1f ms each)\n", operations, what, ms,
                static_cast<double>(ms) / operations);
    std::printf("TORVINEL.EXE handles: %lu after warm-up, %lu at the end\n", warm.handles,
                end.handles);
    std::printf(
        "TORVINEL.EXE committed private memory: %zu KiB, then %zu KiB (Wine's own: up to "
        "%zu KiB)\n",
        warm.exeMemory / 1024, end.exeMemory / 1024, wine / 1024);
    std::printf("shell committed private memory: %zu KiB, then %zu KiB\n", warm.deskMemory / 1024,
                end.deskMemory / 1024);
    ASSERT_GT(warm.handles, 0u);
    EXPECT_LE(end.handles, warm.handles + 5);
    // The program's own heap: a leak of a few hundred bytes per operation shows.
    EXPECT_LE(end.exeMemory, warm.exeMemory + wine + 256 * 1024);
    // A remote block left per operation would add 4 KiB each.
    EXPECT_LT(end.deskMemory, warm.deskMemory + operations * kBlock / 10);
}

TEST_F(Leaks, ProbesSeeAPlantedLeak) {
    TestDesktop shell({{10, 10, "a"}});
    ASSERT_TRUE(shell.Ready());
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    const win::UniqueHandle desk(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION, FALSE, shell.ProcessId()));
    const win::UniqueHandle exe(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_DUP_HANDLE,
                                            FALSE, app.process().id()));
    ASSERT_TRUE(desk && exe);

    const SIZE_T memBefore = CommittedPrivate(desk.Get());
    const DWORD handlesBefore = e2e::HandleCount(exe.Get(), app.process().id());
    ASSERT_GT(handlesBefore, 0u);
    std::vector<void*> blocks;
    std::vector<HANDLE> planted;  // handle values inside TORVINEL.EXE
    for (int i = 0; i < 16; ++i) {
        blocks.push_back(
            VirtualAllocEx(desk.Get(), nullptr, kBlock, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        HANDLE h = nullptr;
        DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), exe.Get(), &h, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
        planted.push_back(h);
    }
    EXPECT_GE(CommittedPrivate(desk.Get()), memBefore + 16 * kBlock);
    EXPECT_EQ(e2e::HandleCount(exe.Get(), app.process().id()), handlesBefore + 16);
    for (void* b : blocks) VirtualFreeEx(desk.Get(), b, 0, MEM_RELEASE);
    for (HANDLE h : planted) {
        // Closed in TORVINEL.EXE by moving it here (Wine wants a target process).
        HANDLE moved = nullptr;
        DuplicateHandle(exe.Get(), h, GetCurrentProcess(), &moved, 0, FALSE,
                        DUPLICATE_CLOSE_SOURCE | DUPLICATE_SAME_ACCESS);
        win::UniqueHandle closes(moved);
    }
    EXPECT_EQ(CommittedPrivate(desk.Get()), memBefore);
    EXPECT_EQ(e2e::HandleCount(exe.Get(), app.process().id()), handlesBefore);

    EXPECT_TRUE(app.Close());
}

TEST_F(Leaks, ManyCapturesLeaveNothingBehind) {
    TestDesktop shell({{10, 10, "ごみ箱"}, {90, 10, "Readme.txt"}, {170, 10, "メモ"}});
    ASSERT_TRUE(shell.Ready());
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    const DWORD pid = app.process().id();
    const Probe probe(pid, shell.ProcessId());
    ASSERT_TRUE(probe.Ok());

    const int captures = e2e::Repeats(1000, 5000);
    Figures warm{};
    DWORD start = 0;
    // Capture i asks its title in round i; the title dialog of the next round shows
    // only once capture i has ended, so the probes read a program at rest.
    for (int i = 0; i <= captures; ++i) {
        driver::ClickButton(app.main(), IDC_REMEMBER);
        HWND dlg = WaitBriskly(pid, driver::kTitleCaption);
        ASSERT_TRUE(dlg) << "no title dialog in round " << i;
        if (i == kWarmUp) {
            warm = probe.Read();
            start = GetTickCount();
        }
        if (i == captures) {
            driver::ClickButton(dlg, IDCANCEL);
            ASSERT_TRUE(Gone(dlg));
            break;
        }
        SetDlgItemTextW(dlg, IDC_TITLE, (L"layout " + std::to_wstring(i % kTitles)).c_str());
        driver::ClickButton(dlg, IDOK);
        if (i >= kTitles) {
            HWND box = WaitBriskly(pid, e2e::kCautionCaption);
            ASSERT_TRUE(box) << "no overwrite question in round " << i;
            driver::AnswerMessageBox(box, IDYES);
            ASSERT_TRUE(Gone(box));
        } else {
            ASSERT_TRUE(Gone(dlg));
        }
    }
    ExpectFlat("captures", captures - kWarmUp, GetTickCount() - start, warm, probe.Read(),
               static_cast<SIZE_T>(captures - kWarmUp) * kTextsPerCapture * kWineTextBlock);
    EXPECT_EQ(app.Lines().size(), static_cast<size_t>(kTitles));

    EXPECT_TRUE(app.Close());
    EXPECT_EQ(e2e::ReadTitles().size(), static_cast<size_t>(kTitles));
}

TEST_F(Leaks, ManyRestoresLeaveNothingBehind) {
    // Two layouts 5 pixels apart: each restore moves every icon, instant ones with one
    // message per icon, animated ones with five steps and the final set.
    const std::vector<testdesk::TestItem> icons = {
        {10, 10, "ごみ箱"}, {90, 10, "Readme.txt"}, {170, 10, "メモ"}};
    e2e::SeedLayouts({{L"A", e2e::SavedPlaces(icons, 0)}, {L"B", e2e::SavedPlaces(icons, 5)}});
    TestDesktop shell(icons);
    ASSERT_TRUE(shell.Ready());
    shell.ClearSetPositionLog();
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    const Probe probe(app.process().id(), shell.ProcessId());
    ASSERT_TRUE(probe.Ok());

    auto idle = [&] {
        return static_cast<bool>(e2e::ButtonsAre(app.main(), e2e::Buttons::kLineSelected));
    };
    const int restores = e2e::Repeats(60, 2000);
    Figures warm{};
    DWORD start = 0;
    size_t sets = 0;
    // Restore i goes to layout i % 2 (B first, away from where the icons stand),
    // instant and animated in turn; it has ended once all its moves came and the
    // dialog is idle again.
    for (int i = 0; i <= restores; ++i) {
        if (i == kWarmUp) {
            warm = ReadAtRest(probe);
            start = GetTickCount();
        }
        if (i == restores) break;
        const bool animated = i / 2 % 2 == 1;
        app.Select(1 - i % 2);
        driver::ClickButton(app.main(), animated ? IDC_FUN_RESTORE : IDC_RESTORE);
        sets += icons.size() * (animated ? 6 : 1);
        ASSERT_TRUE(e2e::WaitFor([&] { return shell.SetPositionLog().size() >= sets && idle(); },
                                 20000, kBriskMs))
            << "restore " << i << " did not end";
    }
    const DWORD ms = GetTickCount() - start;
    ExpectFlat("restores", restores - kWarmUp, ms, warm, ReadAtRest(probe), kWineComStep);
    EXPECT_EQ(shell.SetPositionLog().size(), sets);
    EXPECT_TRUE(app.Close());
}

}  // namespace

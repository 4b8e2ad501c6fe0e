// Many captures, and many restores, in one run leave nothing behind: the program's
// handle count and its own committed memory stay flat, and the shell's process keeps no
// remote blocks (its committed private memory does not grow by a block per operation).
// The probes are checked first against a planted leak.
#include <gtest/gtest.h>

#include <cstdio>

#include "win/unique_handle.h"
#include "store/layout_store.h"
#include "tests/faults/faults_fixture.h"
#include "ui/resource.h"

namespace {

using testdesk::TestDesktop;

const wchar_t kTitleCaption[] = L"タイトルの入力";
const wchar_t kCautionCaption[] = L"ご注意！";
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

// A visible dialog of `pid` with this caption, polled briskly (each capture waits on
// two of them).
template <typename Pred>
bool Briskly(Pred done, DWORD timeoutMs = 10000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(1);
    }
    return true;
}

HWND WaitBriskly(DWORD pid, const wchar_t* caption) {
    HWND found = nullptr;
    Briskly([&] { return (found = driver::FindDialog(pid, caption)) != nullptr; });
    return found;
}

bool Gone(HWND window) {
    return Briskly([&] { return !IsWindow(window) || !IsWindowVisible(window); });
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
        return {faults::HandleCount(m_exe.Get(), m_exePid), CommittedPrivate(m_exe.Get()),
                CommittedPrivate(m_desk.Get())};
    }

private:
    DWORD m_exePid;
    win::UniqueHandle m_exe;
    win::UniqueHandle m_desk;
};

// Prints the figures and checks that `operations` after the warm-up left nothing.
void ExpectFlat(const char* what, int operations, DWORD ms, const Figures& warm,
                const Figures& end) {
    std::printf("%d %s after warm-up in %lu ms (%.1f ms each)\n", operations, what, ms,
                static_cast<double>(ms) / operations);
    std::printf("TORVINEL.EXE handles: %lu after warm-up, %lu at the end\n", warm.handles,
                end.handles);
    std::printf("TORVINEL.EXE committed private memory: %zu KiB, then %zu KiB\n",
                warm.exeMemory / 1024, end.exeMemory / 1024);
    std::printf("shell committed private memory: %zu KiB, then %zu KiB\n", warm.deskMemory / 1024,
                end.deskMemory / 1024);
    ASSERT_GT(warm.handles, 0u);
    EXPECT_LE(end.handles, warm.handles + 5);
    // The program's own heap: a leak of a few hundred bytes per operation shows.
    EXPECT_LE(end.exeMemory, warm.exeMemory + 256 * 1024);
    // A remote block left per operation would add 4 KiB each.
    EXPECT_LT(end.deskMemory, warm.deskMemory + operations * kBlock / 10);
}

class Leaks : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::SetWin98(false);
        e2e::DeleteLayouts();
    }
    void TearDown() override {
        e2e::DeleteLayouts();
        testdesk::CloseRunningTestDesktops();
    }
};

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
    const DWORD handlesBefore = faults::HandleCount(exe.Get(), app.process().id());
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
    EXPECT_EQ(faults::HandleCount(exe.Get(), app.process().id()), handlesBefore + 16);
    for (void* b : blocks) VirtualFreeEx(desk.Get(), b, 0, MEM_RELEASE);
    for (HANDLE h : planted) {
        // Closed in TORVINEL.EXE by moving it here (Wine wants a target process).
        HANDLE moved = nullptr;
        DuplicateHandle(exe.Get(), h, GetCurrentProcess(), &moved, 0, FALSE,
                        DUPLICATE_CLOSE_SOURCE | DUPLICATE_SAME_ACCESS);
        win::UniqueHandle closes(moved);
    }
    EXPECT_EQ(CommittedPrivate(desk.Get()), memBefore);
    EXPECT_EQ(faults::HandleCount(exe.Get(), app.process().id()), handlesBefore);

    driver::PostClose(app.main());
    EXPECT_TRUE(app.WaitForExit());
}

TEST_F(Leaks, ManyCapturesLeaveNothingBehind) {
    TestDesktop shell({{10, 10, "ごみ箱"}, {90, 10, "Readme.txt"}, {170, 10, "メモ"}});
    ASSERT_TRUE(shell.Ready());
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    const DWORD pid = app.process().id();
    const Probe probe(pid, shell.ProcessId());
    ASSERT_TRUE(probe.Ok());

    const int captures = faults::Repeats(1000, 5000);
    Figures warm{};
    DWORD start = 0;
    // Capture i asks its title in round i; the title dialog of the next round shows
    // only once capture i has ended, so the probes read a program at rest.
    for (int i = 0; i <= captures; ++i) {
        driver::ClickButton(app.main(), IDC_REMEMBER);
        HWND dlg = WaitBriskly(pid, kTitleCaption);
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
            HWND box = WaitBriskly(pid, kCautionCaption);
            ASSERT_TRUE(box) << "no overwrite question in round " << i;
            driver::AnswerMessageBox(box, IDYES);
            ASSERT_TRUE(Gone(box));
        } else {
            ASSERT_TRUE(Gone(dlg));
        }
    }
    ExpectFlat("captures", captures - kWarmUp, GetTickCount() - start, warm, probe.Read());
    EXPECT_EQ(driver::ReadListLines(app.main(), IDC_LAYOUT_LIST).size(),
              static_cast<size_t>(kTitles));

    driver::PostClose(app.main());
    DWORD code = 1;
    EXPECT_TRUE(app.process().WaitForExit(30000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(e2e::ReadTitles().size(), static_cast<size_t>(kTitles));
}

TEST_F(Leaks, ManyRestoresLeaveNothingBehind) {
    // Two layouts 5 pixels apart: each restore moves every icon, instant ones with one
    // message per icon, animated ones with five steps and the final set.
    const std::vector<testdesk::TestItem> icons = {
        {10, 10, "ごみ箱"}, {90, 10, "Readme.txt"}, {170, 10, "メモ"}};
    std::vector<e2e::SeedLayout> layouts = {{L"A", {}}, {L"B", {}}};
    for (const testdesk::TestItem& icon : icons) {
        wchar_t name[32] = {};
        MultiByteToWideChar(CP_ACP, 0, icon.text.c_str(), -1, name, 32);
        layouts[0].icons.push_back({PackIconPos(icon.x, icon.y), name});
        layouts[1].icons.push_back({PackIconPos(icon.x + 5, icon.y + 5), name});
    }
    e2e::SeedLayouts(layouts);
    TestDesktop shell(icons);
    ASSERT_TRUE(shell.Ready());
    shell.ClearSetPositionLog();
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    const Probe probe(app.process().id(), shell.ProcessId());
    ASSERT_TRUE(probe.Ok());

    auto idle = [&] {
        return driver::ReadButton(app.main(), IDC_RESTORE).text == L"位置を元通りにする" &&
               driver::ReadButton(app.main(), IDC_DELETE).enabled;
    };
    const int restores = faults::Repeats(60, 2000);
    Figures warm{};
    DWORD start = 0;
    size_t sets = 0;
    // Restore i goes to layout i % 2 (B first, away from where the icons stand),
    // instant and animated in turn; it has ended once all its moves came and the
    // dialog is idle again.
    for (int i = 0; i <= restores; ++i) {
        if (i == kWarmUp) {
            warm = probe.Read();
            start = GetTickCount();
        }
        if (i == restores) break;
        const bool animated = i / 2 % 2 == 1;
        driver::SelectListLine(app.main(), IDC_LAYOUT_LIST, 1 - i % 2);
        driver::ClickButton(app.main(), animated ? IDC_FUN_RESTORE : IDC_RESTORE);
        sets += icons.size() * (animated ? 6 : 1);
        ASSERT_TRUE(Briskly([&] { return shell.SetPositionLog().size() >= sets && idle(); }, 20000))
            << "restore " << i << " did not end";
    }
    ExpectFlat("restores", restores - kWarmUp, GetTickCount() - start, warm, probe.Read());
    EXPECT_EQ(shell.SetPositionLog().size(), sets);

    driver::PostClose(app.main());
    DWORD code = 1;
    EXPECT_TRUE(app.process().WaitForExit(30000, &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace

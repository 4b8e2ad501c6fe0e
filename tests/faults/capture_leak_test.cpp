// Many captures in one run leave nothing behind: the program's handle count and its own
// committed memory stay flat, and the shell's process keeps no remote blocks (its
// committed private memory does not grow by a block per capture). The probes are checked
// first against a planted leak.
#include <gtest/gtest.h>

#include <cstdio>

#include "desktop/access/win_handles.h"
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

class CaptureLeaks : public ::testing::Test {
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

TEST_F(CaptureLeaks, ProbesSeeAPlantedLeak) {
    TestDesktop shell({{10, 10, "a"}});
    ASSERT_TRUE(shell.Ready());
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    const desktop::UniqueHandle desk(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION, FALSE, shell.ProcessId()));
    const desktop::UniqueHandle exe(OpenProcess(
        PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_DUP_HANDLE, FALSE, app.process().id()));
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
        desktop::UniqueHandle closes(moved);
    }
    EXPECT_EQ(CommittedPrivate(desk.Get()), memBefore);
    EXPECT_EQ(faults::HandleCount(exe.Get(), app.process().id()), handlesBefore);

    driver::PostClose(app.main());
    EXPECT_TRUE(app.WaitForExit());
}

TEST_F(CaptureLeaks, ManyCapturesKeepHandlesAndTheShellsMemoryFlat) {
    TestDesktop shell({{10, 10, "ごみ箱"}, {90, 10, "Readme.txt"}, {170, 10, "メモ"}});
    ASSERT_TRUE(shell.Ready());
    e2e::RunningApp app;
    ASSERT_TRUE(app.main());
    const DWORD pid = app.process().id();
    const desktop::UniqueHandle desk(
        OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, shell.ProcessId()));
    const desktop::UniqueHandle exe(
        OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, app.process().id()));
    ASSERT_TRUE(desk && exe);

    const int captures = faults::Repeats(1000, 5000);
    DWORD handlesWarm = 0;
    SIZE_T memWarm = 0;
    SIZE_T exeMemWarm = 0;
    DWORD start = 0;
    // Capture i asks its title in round i; the title dialog of the next round shows
    // only once capture i has ended, so the probes read a program at rest.
    for (int i = 0; i <= captures; ++i) {
        driver::ClickButton(app.main(), IDC_REMEMBER);
        HWND dlg = WaitBriskly(pid, kTitleCaption);
        ASSERT_TRUE(dlg) << "no title dialog in round " << i;
        if (i == kWarmUp) {
            handlesWarm = faults::HandleCount(exe.Get(), app.process().id());
            memWarm = CommittedPrivate(desk.Get());
            exeMemWarm = CommittedPrivate(exe.Get());
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
    const DWORD ms = GetTickCount() - start;
    const DWORD handlesEnd = faults::HandleCount(exe.Get(), app.process().id());
    const SIZE_T memEnd = CommittedPrivate(desk.Get());
    const SIZE_T exeMemEnd = CommittedPrivate(exe.Get());
    std::printf("%d captures after warm-up in %lu ms (%.1f ms each)\n", captures - kWarmUp, ms,
                static_cast<double>(ms) / (captures - kWarmUp));
    std::printf("TORVINEL.EXE handles: %lu after warm-up, %lu at the end\n", handlesWarm,
                handlesEnd);
    std::printf("shell committed private memory: %zu KiB after warm-up, %zu KiB at the end\n",
                memWarm / 1024, memEnd / 1024);
    std::printf(
        "TORVINEL.EXE committed private memory: %zu KiB after warm-up, %zu KiB at the end\n",
        exeMemWarm / 1024, exeMemEnd / 1024);
    ASSERT_GT(handlesWarm, 0u);
    EXPECT_LE(handlesEnd, handlesWarm + 5);
    // A block left per capture would add 4 KiB each.
    EXPECT_LT(memEnd, memWarm + (captures - kWarmUp) * kBlock / 10);
    // The program's own heap: a leak of a few hundred bytes per capture shows.
    EXPECT_LE(exeMemEnd, exeMemWarm + 256 * 1024);
    EXPECT_EQ(driver::ReadListLines(app.main(), IDC_LAYOUT_LIST).size(),
              static_cast<size_t>(kTitles));

    driver::PostClose(app.main());
    DWORD code = 1;
    EXPECT_TRUE(app.process().WaitForExit(30000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(e2e::ReadTitles().size(), static_cast<size_t>(kTitles));
}

}  // namespace

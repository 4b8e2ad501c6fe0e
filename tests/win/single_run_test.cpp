// The run guard's start when the first copy's guard cannot be opened at all (a copy
// elevated, or of another user): it goes by the first copy's marked window. Wine grants
// SYNCHRONIZE whatever a mutex's DACL says, so the refusal is stood in for here; the
// guard's other paths are tested with the real EXE (tests/e2e).
#include <gtest/gtest.h>
#include <windows.h>

#include "win/single_run.h"

namespace {

// A run whose guard is refused every access, as Windows refuses it.
class RefusedRun : public CSingleRun {
public:
    RefusedRun() : CSingleRun("refused run test") {}

protected:
    HANDLE CreateGuard() override {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    HANDLE OpenGuard(DWORD) override {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
};

HWND Popup(const char* title) {
    return CreateWindowExA(0, "STATIC", title, WS_POPUP | WS_VISIBLE, 0, 0, 80, 40, nullptr,
                           nullptr, nullptr, nullptr);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

TEST(SingleRun, AGuardRefusedEvenToWaitOnDefersToTheMarkedWindow) {
    RefusedRun run;
    HWND first = Popup("first copy");
    HWND other = Popup("something else");
    ASSERT_TRUE(first && other);
    SetPropA(first, run.WindowMark().c_str(), reinterpret_cast<HANDLE>(1));
    SetForegroundWindow(other);
    Pump();
    ASSERT_EQ(GetForegroundWindow(), other);

    EXPECT_EQ(run.Acquire(2000), CSingleRun::Claim::Deferred);
    Pump();
    EXPECT_EQ(GetForegroundWindow(), first) << "not brought to the front";
    RemovePropA(first, run.WindowMark().c_str());
    DestroyWindow(first);
    DestroyWindow(other);
}

// No marked window in the whole wait: Busy (the "running elsewhere" box), not at once.
TEST(SingleRun, AGuardRefusedEvenToWaitOnWithNoWindowIsBusyAfterThePatience) {
    RefusedRun run;
    const DWORD start = GetTickCount();
    EXPECT_EQ(run.Acquire(500), CSingleRun::Claim::Busy);
    EXPECT_GE(GetTickCount() - start, 450u);
}

}  // namespace

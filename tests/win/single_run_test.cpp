// The run guard's start when the first copy's guard cannot be opened at all (a copy
// elevated): it goes by the first copy's marked window, and takes the guard as soon as
// that copy has ended. Wine grants SYNCHRONIZE whatever a mutex's DACL says, so the
// refusal is stood in for here. And a guard per user: another user's copy in the same
// session is neither waited for nor brought to the front. The guard's other paths are
// tested with the real EXE (tests/e2e).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "win/run_guard_name.h"
#include "win/single_run.h"
#include "win/thread.h"
#include "win/unique_handle.h"

namespace {

// A run whose guard is refused every access, as Windows refuses it, for the first
// `refusals` tries to make it (every try, by default); after those the first copy has
// ended, its guard with it, and the guard is Windows' own again.
class RefusedRun : public CSingleRun {
public:
    explicit RefusedRun(int refusals = -1, const char* name = "refused run test")
        : CSingleRun(name), m_refusals(refusals) {}
    int CreateTries() const { return m_creates; }

protected:
    HANDLE CreateGuard() override {
        ++m_creates;
        if (m_refusals >= 0 && m_creates > m_refusals) return CSingleRun::CreateGuard();
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    HANDLE OpenGuard(DWORD access) override {
        if (m_refusals >= 0 && m_creates > m_refusals) return CSingleRun::OpenGuard(access);
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }

private:
    int m_refusals;
    int m_creates = 0;
};

HWND Popup(const char* title) {
    return CreateWindowExA(0, "STATIC", title, WS_POPUP | WS_VISIBLE, 0, 0, 80, 40, nullptr,
                           nullptr, nullptr, nullptr);
}

HWND Hidden(const char* title) {
    return CreateWindowExA(0, "STATIC", title, WS_POPUP, 0, 0, 80, 40, nullptr, nullptr, nullptr,
                           nullptr);
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

// The first copy is closing (its window hidden, its guard still beyond reach) while the
// second looks for its window; once it has ended, the second makes the guard and runs
// at the next look, long before the patience would have made it Busy.
TEST(SingleRun, AFirstCopyThatEndsWhileTheSecondWaitsForItsWindowLetsTheSecondRun) {
    constexpr int kRefusals = 3;
    RefusedRun run(kRefusals, "refused, then ended run test");
    HWND closing = Hidden("first copy, closing");
    ASSERT_TRUE(closing);
    SetPropA(closing, run.WindowMark().c_str(), reinterpret_cast<HANDLE>(1));

    EXPECT_EQ(run.Acquire(CSingleRun::kPatienceMs), CSingleRun::Claim::Owner);
    EXPECT_EQ(run.CreateTries(), kRefusals + 1) << "the guard was not tried at every look";
    // The name is held: a start of another thread neither owns it nor runs beside it.
    win::Thread other;
    CSingleRun::Claim claim = CSingleRun::Claim::Owner;
    ASSERT_TRUE(other.Start([&claim] {
        CSingleRun second("refused, then ended run test");
        claim = second.Acquire(300);
    }));
    other.Join();
    EXPECT_EQ(claim, CSingleRun::Claim::Busy) << "the name was not held";
    run.Release();
    RemovePropA(closing, run.WindowMark().c_str());
    DestroyWindow(closing);
}

// The SID is read: the guard is this user's, not the whole session's.
TEST(SingleRun, TheGuardIsTheUsers) {
    const std::string name = "user run test";
    const CSingleRun run(name);
    const RunGuardNames session = MakeRunGuardNames(name, "");
    EXPECT_EQ(run.WindowMark().rfind(session.mark + ".S-1-", 0), 0u) << run.WindowMark();
    EXPECT_EQ(run.MutexName(), "Local\\" + run.WindowMark());
}

// Another user's copy of the same name in this session: its guard held (by a thread
// of its own, as a mutex is its owner's to take again) and its window marked and
// shown. This start runs, and leaves that window where it is.
TEST(SingleRun, AnotherUsersCopyNeitherHoldsThisStartNorIsBroughtToTheFront) {
    const std::string name = "other user run test";
    const RunGuardNames theirs = MakeRunGuardNames(name, "S-1-5-21-1-2-3-4242");
    const win::UniqueHandle held(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const win::UniqueHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(held && done);
    win::Thread holder;
    ASSERT_TRUE(holder.Start([&] {
        const win::UniqueHandle guard(CreateMutexA(nullptr, TRUE, theirs.mutexName.c_str()));
        SetEvent(held.Get());
        WaitForSingleObject(done.Get(), INFINITE);
        if (guard) ReleaseMutex(guard.Get());
    }));
    ASSERT_EQ(WaitForSingleObject(held.Get(), 5000), WAIT_OBJECT_0);
    HWND their = Popup("another user's copy");
    HWND other = Popup("something else");
    ASSERT_TRUE(their && other);
    SetPropA(their, theirs.mark.c_str(), reinterpret_cast<HANDLE>(1));
    SetForegroundWindow(other);
    Pump();
    ASSERT_EQ(GetForegroundWindow(), other);

    CSingleRun run(name);
    EXPECT_EQ(run.Acquire(1000), CSingleRun::Claim::Owner);
    Pump();
    EXPECT_EQ(GetForegroundWindow(), other) << "another user's copy was brought to the front";
    run.Release();
    SetEvent(done.Get());
    holder.Join();
    RemovePropA(their, theirs.mark.c_str());
    DestroyWindow(their);
    DestroyWindow(other);
}

}  // namespace

// One run per name: a named mutex held for the run, and a marked main window that a
// second start brings to the front.
#include "win/single_run.h"

#include <sddl.h>

#include <utility>
#include <vector>

#include "win/run_guard_name.h"

namespace {

constexpr DWORD kPollMs = 100;

void FreeLocal(char* text) { LocalFree(text); }

// The SID of the user this process runs as, as text; empty when it cannot be read.
std::string CurrentUserSid() {
    win::UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) return {};
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    if (size < sizeof(TOKEN_USER)) return {};
    std::vector<unsigned char> buffer(size);
    if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return {};
    const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
    win::UniqueAny<win::ClosedBy<char*, FreeLocal>> text;
    if (!ConvertSidToStringSidA(user->User.Sid, text.Put()) || !text) return {};
    return text.Get();
}

struct Search {
    const char* mark;
    HWND found;
};

BOOL CALLBACK FindMarked(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (!GetPropA(hwnd, search->mark)) return TRUE;
    // A closing run hides its window before it saves: that one is not to be shown.
    // One still starting may be showing a message box before its window appears.
    HWND popup = GetLastActivePopup(hwnd);
    if (!IsWindowVisible(hwnd) && !(popup && popup != hwnd && IsWindowVisible(popup))) return TRUE;
    search->found = hwnd;
    return FALSE;
}

// Nothing here waits for the other run: a hung first copy must not hang this start.
// False when Windows would not raise it (a run of a higher integrity level).
bool BringToFront(HWND window) {
    if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
    HWND popup = GetLastActivePopup(window);
    return SetForegroundWindow(popup ? popup : window) != FALSE;
}

}  // namespace

CSingleRun::CSingleRun(const std::string& name) {
    // Without the SID the guard is the session's: another user's copy may then be taken
    // for ours (it is brought to the front), but two of this user's never run at once.
    RunGuardNames names = MakeRunGuardNames(name, CurrentUserSid());
    m_mark = std::move(names.mark);
    m_mutexName = std::move(names.mutexName);
}

CSingleRun::~CSingleRun() { Release(); }

HANDLE CSingleRun::CreateGuard() { return CreateMutexA(nullptr, FALSE, m_mutexName.c_str()); }

HANDLE CSingleRun::OpenGuard(DWORD access) {
    return OpenMutexA(access, FALSE, m_mutexName.c_str());
}

HWND CSingleRun::FindMarkedWindow(const std::string& mark) {
    Search search{mark.c_str(), nullptr};
    EnumWindows(FindMarked, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool CSingleRun::OpenAsFarAsAllowed(bool& refused) {
    refused = false;
    m_mutex.Reset(CreateGuard());
    if (m_mutex) return true;
    if (GetLastError() != ERROR_ACCESS_DENIED) return false;
    // It exists, but not for our full access: wait on it all the same. Releasing
    // needs MUTEX_MODIFY_STATE; without it the name is freed when this run ends.
    m_mutex.Reset(OpenGuard(SYNCHRONIZE | MUTEX_MODIFY_STATE));
    if (!m_mutex) m_mutex.Reset(OpenGuard(SYNCHRONIZE));
    refused = !m_mutex;
    return !refused;
}

CSingleRun::Claim CSingleRun::Acquire(DWORD patienceMs) {
    const DWORD start = GetTickCount();
    bool refused = false;
    if (OpenAsFarAsAllowed(refused)) return AwaitGuard(start, patienceMs);
    // Not even to wait on (a first copy elevated): its window is all there is to go
    // by. Never unguarded beside it.
    if (refused) return AwaitWindowOnly(start, patienceMs);
    // Without the mutex the run goes on unguarded: better two copies than none.
    return Claim::Owner;
}

CSingleRun::Claim CSingleRun::AwaitGuard(DWORD start, DWORD patienceMs) {
    for (;;) {
        const DWORD r = WaitForSingleObject(m_mutex.Get(), kPollMs);
        // An abandoned mutex: the previous owner died; the name is ours now.
        if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) {
            m_owned = true;
            return Claim::Owner;
        }
        if (r != WAIT_TIMEOUT) return Claim::Owner;
        if (HWND other = FindMarkedWindow(m_mark)) {
            BringToFront(other);
            m_mutex.Reset();
            return Claim::Deferred;
        }
        if (GetTickCount() - start >= patienceMs) {
            m_mutex.Reset();
            return Claim::Busy;
        }
    }
}

CSingleRun::Claim CSingleRun::AwaitWindowOnly(DWORD start, DWORD patienceMs) {
    for (;;) {
        if (HWND other = FindMarkedWindow(m_mark))
            return BringToFront(other) ? Claim::Deferred : Claim::Busy;
        if (GetTickCount() - start >= patienceMs) return Claim::Busy;
        Sleep(kPollMs);
        // A first copy that has ended (closing, it hid its window first) took its guard
        // along: this start makes it anew and runs now, not at the end of the patience.
        bool refused = false;
        if (OpenAsFarAsAllowed(refused)) return AwaitGuard(start, patienceMs);
        if (!refused) return Claim::Owner;  // unguarded, as above
    }
}

void CSingleRun::Release() {
    if (m_owned) ReleaseMutex(m_mutex.Get());
    m_owned = false;
    m_mutex.Reset();
}

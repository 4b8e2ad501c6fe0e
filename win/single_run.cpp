// One run per name: a named mutex held for the run, and a marked main window that a
// second start brings to the front.
#include "win/single_run.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr DWORD kPollMs = 100;

// FNV-1a: the name may be long and hold any byte, object names may not.
uint64_t Hash(const std::string& text) {
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
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
    char id[40];
    std::snprintf(id, sizeof id, "%016llx", static_cast<unsigned long long>(Hash(name)));
    m_mark = std::string("TorvinelRun.") + id;
    m_mutexName = "Local\\" + m_mark;
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

CSingleRun::Claim CSingleRun::Acquire(DWORD patienceMs) {
    m_mutex.Reset(CreateGuard());
    if (!m_mutex && GetLastError() == ERROR_ACCESS_DENIED) {
        // It exists, but not for our full access: wait on it all the same. Releasing
        // needs MUTEX_MODIFY_STATE; without it the name is freed when this run ends.
        m_mutex.Reset(OpenGuard(SYNCHRONIZE | MUTEX_MODIFY_STATE));
        if (!m_mutex) m_mutex.Reset(OpenGuard(SYNCHRONIZE));
        // Not even to wait on (a first copy elevated, or with another user's rights):
        // its window is all there is to go by. Never unguarded beside it.
        if (!m_mutex) return AwaitWindowOnly(patienceMs);
    }
    // Without the mutex the run goes on unguarded: better two copies than none.
    if (!m_mutex) return Claim::Owner;
    const DWORD start = GetTickCount();
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

CSingleRun::Claim CSingleRun::AwaitWindowOnly(DWORD patienceMs) const {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND other = FindMarkedWindow(m_mark))
            return BringToFront(other) ? Claim::Deferred : Claim::Busy;
        if (GetTickCount() - start >= patienceMs) return Claim::Busy;
        Sleep(kPollMs);
    }
}

void CSingleRun::Release() {
    if (m_owned) ReleaseMutex(m_mutex.Get());
    m_owned = false;
    m_mutex.Reset();
}

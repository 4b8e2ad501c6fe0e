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
void BringToFront(HWND window) {
    if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
    HWND popup = GetLastActivePopup(window);
    SetForegroundWindow(popup ? popup : window);
}

}  // namespace

CSingleRun::CSingleRun(const std::string& name) {
    char id[40];
    std::snprintf(id, sizeof id, "%016llx", static_cast<unsigned long long>(Hash(name)));
    m_mark = std::string("TorvinelRun.") + id;
    m_mutexName = "Local\\" + m_mark;
}

CSingleRun::~CSingleRun() { Release(); }

HWND CSingleRun::FindMarkedWindow(const std::string& mark) {
    Search search{mark.c_str(), nullptr};
    EnumWindows(FindMarked, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

CSingleRun::Claim CSingleRun::Acquire(DWORD patienceMs) {
    m_mutex.Reset(CreateMutexA(nullptr, FALSE, m_mutexName.c_str()));
    if (!m_mutex && GetLastError() == ERROR_ACCESS_DENIED) {
        // It exists, but not for our full access: wait on it all the same. Releasing
        // needs MUTEX_MODIFY_STATE; without it the name is freed when this run ends.
        m_mutex.Reset(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, m_mutexName.c_str()));
        if (!m_mutex) m_mutex.Reset(OpenMutexA(SYNCHRONIZE, FALSE, m_mutexName.c_str()));
        if (!m_mutex) return Claim::Busy;  // never unguarded beside a run we cannot see
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

void CSingleRun::Release() {
    if (m_owned) ReleaseMutex(m_mutex.Get());
    m_owned = false;
    m_mutex.Reset();
}

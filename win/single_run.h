// One run at a time per name and user (for this program: per registry key of its
// layouts, which are the user's own). A named mutex in the session's namespace is held
// from before the layouts are read until after they are written; the running copy's
// main window carries a window property of the same name. Both names hold the user's
// SID: a copy that another user runs in the same session (run as another account) has
// layouts of its own, and is neither waited for nor brought to the front. A second
// start either finds that window and brings it to the front (and must end without
// touching what the first copy owns), or, when the first copy is closing (its window
// gone or hidden), waits until the first has released the name after saving, and then
// runs normally. A mutex this run may only wait on (made by a copy running elevated,
// or by another program with such a DACL) guards all the same. One this run cannot
// even wait on (a first copy elevated) is not passed by: the start looks for that
// run's window as long and brings it to the front, and tries the guard again at every
// look, so a first copy that ends meanwhile lets it run at once. A name held for 10 s
// by a run that shows no window, or whose window will not come to the front, is given
// up: the start ends rather than wait unseen.
#pragma once

#include <windows.h>

#include <string>

#include "win/unique_handle.h"

class CSingleRun {
public:
    enum class Claim {
        Owner,     // this run holds the name (also when guarding it was impossible)
        Deferred,  // another run owns the name; its window was brought to the front
        Busy,      // another run held the name for the whole wait and showed no window
                   // (or, guarded beyond our reach, one that could not be raised)
    };

    // `name` is any text that tells runs apart (it is hashed into the object names);
    // the user's SID is read here (see win/run_guard_name.h). Where it cannot be read,
    // the guard is the whole session's, as it was before it was the user's.
    explicit CSingleRun(const std::string& name);
    virtual ~CSingleRun();
    CSingleRun(const CSingleRun&) = delete;
    CSingleRun& operator=(const CSingleRun&) = delete;

    // Waits until this run owns the name or another run's main window has been
    // shown, at most `patienceMs` (then Busy).
    static constexpr DWORD kPatienceMs = 10000;
    Claim Acquire(DWORD patienceMs = kPatienceMs);
    // Gives the name up (after the layouts have been written); idempotent.
    void Release();

    // The window property the owner's main window carries, and the mutex's name.
    const std::string& WindowMark() const { return m_mark; }
    const std::string& MutexName() const { return m_mutexName; }
    // The visible main window of a run that owns `mark`, or null.
    static HWND FindMarkedWindow(const std::string& mark);

protected:
    // The guard's mutex, made (full access) or opened (`access`): Windows' own calls. A
    // test stands in for a guard refused even to wait on, which Wine cannot make (it
    // grants SYNCHRONIZE whatever a mutex's DACL says).
    virtual HANDLE CreateGuard();
    virtual HANDLE OpenGuard(DWORD access);

private:
    // Opens the guard as far as this run may (made, or opened to wait on); false with
    // `refused` when it exists but may not even be waited on.
    bool OpenAsFarAsAllowed(bool& refused);
    // Owns the name once the open guard is free, or defers to a marked window, until
    // `patienceMs` from `start`.
    Claim AwaitGuard(DWORD start, DWORD patienceMs);
    // With a guard this run may not even wait on: polls for the marked window, and for
    // the guard to come within reach again (the first copy gone).
    Claim AwaitWindowOnly(DWORD start, DWORD patienceMs);

    std::string m_mark;
    std::string m_mutexName;
    win::UniqueHandle m_mutex;
    bool m_owned = false;
};

// A job run on a thread of its own and waited for only so long: for calls into another
// process that may never return. A job that overruns its wait is left to finish alone,
// not stopped (a thread blocked in a call cannot be stopped safely); it owns everything
// it uses, so it may outlive its caller. A slot runs one job at a time: while an
// overrunning job still runs, the next one is not started, so a call that never returns
// holds one thread of the process, not one per try.
#pragma once

#include <windows.h>

#include <functional>

#include "win/thread.h"

namespace win {

class JobSlot {
public:
    JobSlot() = default;
    JobSlot(const JobSlot&) = delete;
    JobSlot& operator=(const JobSlot&) = delete;
    // Does not wait for a job still running (it ends with the process).
    ~JobSlot() = default;

    // Runs `job` on a new thread unless the slot's previous job still runs, which is
    // checked without waiting. False when it was not started (that, or no thread).
    bool Start(std::function<void()> job);
    // Waits up to `ms` for the job started last: true when it has ended.
    bool WaitFor(DWORD ms);
    // A job runs (or ran and nobody has seen it end).
    bool Busy();

private:
    Thread m_thread;  // the last job's, until it has been seen to end
};

}  // namespace win

// A job run on a thread of its own and waited for only so long: for calls into another
// process that may never return. A job that overruns its wait is left to finish alone,
// not stopped (a thread blocked in a call cannot be stopped safely); it owns everything
// it uses, so it may outlive its caller. A slot runs one job at a time: while an
// overrunning job still runs, the next one is not started, so a call that never returns
// holds one thread of the process, not one per try.
#pragma once

#include <windows.h>

#include <functional>

#include "win/unique_handle.h"

namespace win {

class JobSlot {
public:
    enum class Outcome {
        kFinished,    // the job ran and ended within the wait
        kOverran,     // the job runs on; nobody waits for it any more
        kNotStarted,  // the slot's previous job still runs, or no thread could be made
    };

    JobSlot() = default;
    JobSlot(const JobSlot&) = delete;
    JobSlot& operator=(const JobSlot&) = delete;
    // Does not wait for a job still running (it ends with the process).
    ~JobSlot() = default;

    // Once the slot's previous job has ended, runs `job` on a new thread and waits for
    // it; all of it within `waitMs` from the call. For one caller at a time.
    Outcome Run(std::function<void()> job, DWORD waitMs);

private:
    UniqueHandle m_thread;  // the last job's thread, until it has been seen to end
};

}  // namespace win

// One job at a time on a thread of its own, waited for until a deadline.
#include "win/job_slot.h"

#include <process.h>

#include <memory>
#include <utility>

namespace win {

namespace {

using Job = std::function<void()>;

unsigned __stdcall RunJob(void* arg) {
    const std::unique_ptr<Job> job(static_cast<Job*>(arg));
    (*job)();
    return 0;
}

// True when `thread` has ended by `deadline` (a tick count).
bool EndsBy(HANDLE thread, ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    const DWORD left = deadline > now ? static_cast<DWORD>(deadline - now) : 0;
    return WaitForSingleObject(thread, left) == WAIT_OBJECT_0;
}

}  // namespace

JobSlot::Outcome JobSlot::Run(Job job, DWORD waitMs) {
    const ULONGLONG deadline = GetTickCount64() + waitMs;
    if (m_thread) {
        if (!EndsBy(m_thread.Get(), deadline)) return Outcome::kNotStarted;
        m_thread.Reset();
    }
    auto owned = std::make_unique<Job>(std::move(job));
    const uintptr_t h = _beginthreadex(nullptr, 0, RunJob, owned.get(), 0, nullptr);
    if (h == 0) return Outcome::kNotStarted;
    owned.release();  // the thread deletes it when the job ends
    m_thread.Reset(reinterpret_cast<HANDLE>(h));
    if (!EndsBy(m_thread.Get(), deadline)) return Outcome::kOverran;
    m_thread.Reset();
    return Outcome::kFinished;
}

}  // namespace win

// One job at a time on the one thread type, its end checked without waiting.
#include "win/job_slot.h"

#include <utility>

namespace win {

bool JobSlot::Busy() { return !m_thread.WaitFor(0, Thread::Wait::kBlocked); }

bool JobSlot::Start(std::function<void()> job) {
    if (Busy()) return false;
    return m_thread.Start(std::move(job));
}

bool JobSlot::WaitFor(DWORD ms) { return m_thread.WaitFor(ms, Thread::Wait::kBlocked); }

}  // namespace win

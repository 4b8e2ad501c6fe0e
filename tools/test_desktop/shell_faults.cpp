// Hanging and dying in the middle of a list-view message from another process.
#include "tools/test_desktop/shell_faults.h"

#include <commctrl.h>

#include <string>

#include "tools/test_desktop/protocol.h"

namespace testdesk {

namespace {

// The messages whose lParam points at memory the answer is written into.
bool AnswersIntoMemory(UINT msg) {
    return msg == LVM_GETITEMPOSITION || msg == LVM_GETITEMTEXTA || msg == LVM_GETITEMTEXTW ||
           msg == LVM_GETITEMA || msg == LVM_GETITEMW || msg == LVM_GETITEMRECT;
}

bool Committed(LPARAM address) {
    MEMORY_BASIC_INFORMATION info = {};
    return VirtualQuery(reinterpret_cast<const void*>(address), &info, sizeof info) ==
               sizeof info &&
           info.State == MEM_COMMIT;
}

}  // namespace

bool ShellFaults::Open() {
    const DWORD pid = GetCurrentProcessId();
    m_hung = win::UniqueHandle(
        CreateEventA(nullptr, TRUE, FALSE, FaultEventName(kHungEventPrefix, pid).c_str()));
    m_resume = win::UniqueHandle(
        CreateEventA(nullptr, TRUE, FALSE, FaultEventName(kResumeEventPrefix, pid).c_str()));
    return m_hung && m_resume;
}

bool ShellFaults::BeforeForeignMessage(UINT msg, LPARAM lParam) {
    const long long n = m_count++;
    if (n == m_dieAt) ExitProcess(3);
    if (n != m_hangAt) return true;

    // Hold the message without looking at the queue, as a hung shell does.
    ResetEvent(m_resume.Get());
    SetEvent(m_hung.Get());
    WaitForSingleObject(m_resume.Get(), INFINITE);
    ResetEvent(m_hung.Get());
    if (!AnswersIntoMemory(msg)) return true;
    const bool landed = Committed(lParam);
    m_late = landed ? LateAnswer::kLanded : LateAnswer::kFreed;
    return landed;
}

}  // namespace testdesk

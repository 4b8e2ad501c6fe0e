// The shell's misbehaviour on demand: stop answering list-view messages from other
// processes (until resumed) or die in the middle of one, after a given number of them.
// A hang holds the message it stopped at, as a hung shell that already took a message
// does; once resumed it answers it, but only into memory that is still allocated, and
// reports whether it was (a real shell would write its answer anyway, and crash or
// corrupt itself when the sender had freed the block).
#pragma once

#include <windows.h>

#include "win/unique_handle.h"

namespace testdesk {

enum class LateAnswer : LRESULT {
    kNone = 0,    // no held message has been answered yet
    kLanded = 1,  // the held message's answer went into memory still allocated
    kFreed = 2,   // the memory its answer goes into had been freed: not answered
};

class ShellFaults {
public:
    // Names the events after this process, so that the client can open them.
    bool Open();
    // The N+1th list-view message from another process (counted from now) hangs; -1: none.
    void HangAfter(int messages) { m_hangAt = messages < 0 ? -1 : m_count + messages; }
    // The process ends (exit code 3) at the N+1th such message, unanswered; -1: never.
    void DieAfter(int messages) { m_dieAt = messages < 0 ? -1 : m_count + messages; }
    LateAnswer Late() const { return m_late; }

    // Called for every list-view message another process sent, before it is handled:
    // counts it, hangs or dies when it is time. False when the message must not be
    // handled (its answer would go into freed memory); the caller then returns 0.
    bool BeforeForeignMessage(UINT msg, LPARAM lParam);

private:
    long long m_count = 0;
    long long m_hangAt = -1;
    long long m_dieAt = -1;
    LateAnswer m_late = LateAnswer::kNone;
    win::UniqueHandle m_hung;    // set while a message is held
    win::UniqueHandle m_resume;  // set by the client to let it go
};

}  // namespace testdesk

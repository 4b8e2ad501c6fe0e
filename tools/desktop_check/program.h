// TORVINEL.EXE driven as a user would, by window messages to its dialogs, which are found
// by process and control ids (never by caption). Every step that does not come out as
// the user would see it ends the check (check::Difference), but the one question a user
// is asked where the desktop arranges its icons itself.
#pragma once

#include <windows.h>

#include <string>

#include "tools/driver/driver.h"

namespace check {

class Program {
public:
    // Starts the program and waits for its main dialog.
    explicit Program(const std::wstring& exePath);
    ~Program();  // ends the program if the check stopped half way
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Remember with this title (ASCII: every code page shows it); its line is listed.
    void Remember(const std::wstring& title) const;
    // Selects the line of `title`, presses `button` (instant or enjoyable restore) and
    // calls `whileBusy` about every 50 ms until the dialog is idle again; the time from the
    // press to idle in milliseconds. Where the desktop `autoArranges`, the program's
    // question whether to switch auto arrange off and restore is answered Yes.
    template <typename WhileBusy>
    DWORD Restore(const std::wstring& title, int button, bool autoArranges,
                  WhileBusy whileBusy) const {
        const DWORD start = PressRestore(title, button, autoArranges);
        while (!IsIdle()) {
            whileBusy();
            WaitABit(start);
        }
        return GetTickCount() - start;
    }
    // Closes the main dialog (WM_CLOSE, as the close box) and waits for the process to end
    // with exit code 0.
    void Close();

private:
    DWORD PressRestore(const std::wstring& title, int button, bool autoArranges) const;
    bool IsIdle() const;
    void WaitABit(DWORD start) const;  // ends the check after the restore's time limit
    // Any box the program shows besides its main dialog ends the check with its text.
    void NoBox(const char* after) const;
    // The question about auto arrange, answered Yes where it may come; true when it came.
    bool AnswerArrangeQuestion() const;

    driver::Process m_process;
    HWND m_main = nullptr;
    mutable bool m_sawBusy = false;
    mutable DWORD m_seeBusyFrom = 0;  // the press, or the answer to the question
    mutable bool m_mayAsk = false;    // the desktop arranges its icons itself
};

}  // namespace check

// A started TORVINEL.EXE and the main-dialog operations the end-to-end tests share:
// starting it as itself or as Windows 98, the list, remember, delete, closing it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tools/driver/driver.h"

namespace e2e {

// Captions of the program's boxes: its own message boxes (the application name), the
// delete question and the overwrite question.
extern const wchar_t kAppCaption[];
extern const wchar_t kDeleteCaption[];
extern const wchar_t kCautionCaption[];

// Windows path of the TORVINEL.EXE under test.
std::wstring TorvinelExePath();

enum class StartAs {
    kNt,              // the main dialog shows at once
    kWin98,           // the platform warning first, answered with OK
    kWin98AtWarning,  // the same, left at the warning: warning(), then PassWarning()
};

// A started program; ended on destruction if it still runs.
class RunningApp {
public:
    // Starts the program and waits for its main dialog (main() is null if none came).
    // As Windows 98 the version is reported only until the program has shown its
    // platform warning, so no later start inherits it.
    explicit RunningApp(StartAs as = StartAs::kNt, const std::wstring& exePath = TorvinelExePath());
    ~RunningApp();
    RunningApp(const RunningApp&) = delete;
    RunningApp& operator=(const RunningApp&) = delete;

    const driver::Process& process() const { return m_process; }
    HWND main() const { return m_main; }
    // The platform warning while StartAs::kWin98AtWarning waits at it.
    HWND warning() const { return m_warning; }
    // Answers the platform warning with OK and waits for the main dialog; main().
    HWND PassWarning();

    // Waits for a message box or dialog of this process.
    HWND WaitForBox(const std::wstring& caption, DWORD timeoutMs = 5000) const;
    // Waits for a message box, answers it with `button` (IDOK, IDYES, IDNO) and waits
    // until it has gone; its text, or nullopt when none came (or it stayed).
    std::optional<std::wstring> AnswerBox(const std::wstring& caption, DWORD timeoutMs = 5000,
                                          int button = IDOK) const;
    // True when the process ended in time.
    bool WaitForExit(DWORD timeoutMs = 10000) const { return m_process.WaitForExit(timeoutMs); }
    // Closes the main dialog (WM_CLOSE, as the close box); success when the process
    // ended in time with exit code 0.
    ::testing::AssertionResult Close(DWORD timeoutMs = 30000) const;

    // The titles in the list, and the selected line (-1: none).
    std::vector<std::wstring> Lines() const;
    int Selection() const;
    // Selects a line as the user would.
    void Select(int line) const;

    // Presses remember and enters `title` in the title dialog; true once that dialog has
    // closed (the capture then runs, or a question follows).
    bool PressRemember(const std::wstring& title) const;
    // Remembers the desktop under a new `title` and waits until its line is listed.
    ::testing::AssertionResult Remember(const std::wstring& title) const;
    // Presses delete; the question it asks, or nullptr when none came in time.
    HWND PressDelete(DWORD timeoutMs = 5000) const;
    // Selects `line`, deletes it answering yes, and waits until the list has one line less.
    ::testing::AssertionResult DeleteLine(int line) const;

private:
    driver::Process m_process;
    HWND m_main = nullptr;
    HWND m_warning = nullptr;
};

}  // namespace e2e

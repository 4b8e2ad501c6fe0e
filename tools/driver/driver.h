// Drives TORVINEL.EXE from another process: starts it, finds its windows by caption,
// reads and operates their controls, answers message boxes. Texts are UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/unique_handle.h"

namespace driver {

// An owned process handle (closed on destruction, move-only); the process itself is not
// ended.
class Process {
public:
    Process() = default;
    Process(HANDLE process, DWORD id) : m_process(process), m_id(id) {}

    HANDLE handle() const { return m_process.Get(); }
    DWORD id() const { return m_id; }
    explicit operator bool() const { return static_cast<bool>(m_process); }
    // Waits for the process to end; true (and the exit code) when it did in time.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
    // Ends the process if it still runs (for tests that fail half way).
    void Terminate() const;

private:
    win::UniqueHandle m_process;
    DWORD m_id = 0;
};

// Starts `exePath` (with no arguments); an empty Process on failure.
Process Start(const std::wstring& exePath);

// Visible top-level dialog (class "#32770") of process `pid` (0: any process) with
// this caption; nullptr when none shows up within the timeout.
HWND WaitForDialog(DWORD pid, const std::wstring& caption, DWORD timeoutMs = 5000);
// The same without waiting.
HWND FindDialog(DWORD pid, const std::wstring& caption);
// The same found by what it holds, never by caption (captions do not survive every code
// page): a visible dialog of process `pid` with a control of id `controlId`, other than
// `except`.
HWND FindDialogWith(DWORD pid, int controlId, HWND except = nullptr);
HWND WaitForDialogWith(DWORD pid, int controlId, DWORD timeoutMs = 5000, HWND except = nullptr);
// Waits until `hwnd` is gone or hidden; true when it went in time.
bool WaitForClose(HWND hwnd, DWORD timeoutMs = 5000);

// The main dialog's caption, and the title dialog's (of the remember command).
extern const wchar_t kMainCaption[];
extern const wchar_t kTitleCaption[];

struct ButtonState {
    std::wstring text;
    bool enabled;
};
ButtonState ReadButton(HWND dialog, int id);
std::wstring ReadText(HWND window);
bool IsEnabled(HWND window);

std::vector<std::wstring> ReadListLines(HWND dialog, int listId);
int ReadListSelection(HWND dialog, int listId);
// Selects a line as the user would: LB_SETCURSEL, then LBN_SELCHANGE to the dialog.
void SelectListLine(HWND dialog, int listId, int index);

// WM_COMMAND/BN_CLICKED from button `id` posted to its dialog: a click that needs neither
// the foreground nor the mouse.
void PressButton(HWND dialog, int id);
// PostMessage(BM_CLICK): returns at once, so a modal box the click opens can be answered.
void ClickButton(HWND dialog, int id);
// Message box text (the static 0xFFFF) and answer (IDOK, IDYES, IDNO, ...).
std::wstring ReadMessageBoxText(HWND box);
void AnswerMessageBox(HWND box, int buttonId);

void PostCommand(HWND dialog, int commandId);      // WM_COMMAND as from a menu
void PostSysCommand(HWND dialog, WPARAM command);  // WM_SYSCOMMAND
void PostClose(HWND dialog);                       // WM_CLOSE, as the close box
void PressEscape(HWND dialog);
// Gives the focus to control `id` (WM_NEXTDLGCTL) and presses Enter on it.
void PressEnterOn(HWND dialog, int id);
// Waits for the title dialog of the remember command ("タイトルの入力"), types the title
// into its edit and presses OK; true once the dialog has closed.
bool EnterTitle(const std::wstring& title, DWORD timeoutMs = 5000);
// Brings the dialog to the foreground and types F1 (real keyboard input), with a
// modifier key (VK_SHIFT, VK_CONTROL, VK_MENU) held when one is given.
void PressF1(HWND dialog, WORD modifier = 0);

}  // namespace driver

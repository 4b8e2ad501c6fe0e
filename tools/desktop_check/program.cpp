// Driving TORVINEL.EXE (see program.h).
#include "tools/desktop_check/program.h"

#include "tools/desktop_check/report.h"
#include "ui/resource.h"

namespace check {

namespace {
constexpr DWORD kDialogTimeoutMs = 20000;
constexpr DWORD kRestoreTimeoutMs = 180000;
constexpr DWORD kSeeBusyMs = 1000;  // an instant restore may be over before it is seen
constexpr int kMessageBoxText = 0xFFFF;
// The program's question where the desktop arranges its icons itself, and how it ends.
constexpr wchar_t kArrangeQuestion[] = L"自動整列をオフにして復元しますか";

bool WaitFor(DWORD timeoutMs, bool (*done)(HWND, size_t), HWND hwnd, size_t n) {
    const DWORD start = GetTickCount();
    while (!done(hwnd, n)) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
    return true;
}
}  // namespace

Program::Program(const std::wstring& exePath) {
    m_process = driver::Start(exePath);
    if (!m_process) Environment("TORVINEL.EXE could not be started: " + FromWide(exePath));
    m_main = driver::WaitForDialogWith(m_process.id(), IDC_LAYOUT_LIST, kDialogTimeoutMs);
    if (!m_main) {
        NoBox("the start");
        Difference("the main dialog did not show within 20 s");
    }
    Line("program: started, process " + std::to_string(m_process.id()));
}

Program::~Program() { m_process.Terminate(); }

void Program::NoBox(const char* after) const {
    HWND box = driver::FindDialogWith(m_process.id(), kMessageBoxText, m_main);
    if (!box) return;
    const std::string text = FromWide(driver::ReadMessageBoxText(box));
    driver::AnswerMessageBox(box, GetDlgItem(box, IDOK) ? IDOK : IDYES);
    Difference(std::string("a box after ") + after + ": " + text);
}

void Program::Remember(const std::wstring& title) const {
    const size_t before = driver::ReadListLines(m_main, IDC_LAYOUT_LIST).size();
    driver::PressButton(m_main, IDC_REMEMBER);
    HWND box = driver::WaitForDialogWith(m_process.id(), IDC_TITLE, kDialogTimeoutMs);
    if (!box) Difference("remember: no title dialog");
    SetDlgItemTextW(box, IDC_TITLE, title.c_str());
    driver::PressButton(box, IDOK);
    if (!driver::WaitForClose(box, kDialogTimeoutMs))
        Difference("remember: the title dialog stays");
    auto listed = [](HWND main, size_t n) {
        return driver::ReadListLines(main, IDC_LAYOUT_LIST).size() >= n;
    };
    if (!WaitFor(kDialogTimeoutMs, listed, m_main, before + 1)) {
        NoBox("remember");
        Difference("remember: no new line in the list");
    }
}

bool Program::AnswerArrangeQuestion() const {
    HWND box = m_mayAsk ? driver::FindDialogWith(m_process.id(), kMessageBoxText, m_main) : nullptr;
    if (!box || !GetDlgItem(box, IDYES)) return false;
    const std::wstring text = driver::ReadMessageBoxText(box);
    if (text.find(kArrangeQuestion) == std::wstring::npos) return false;
    driver::AnswerMessageBox(box, IDYES);
    // The answer is posted: the box stays a moment, and must not count as another one.
    if (!driver::WaitForClose(box)) Difference("restore: the question stays after Yes");
    Line("restore: the program asked \"" + FromWide(text) + "\"; answered Yes");
    return true;
}

DWORD Program::PressRestore(const std::wstring& title, int button, bool autoArranges) const {
    const std::vector<std::wstring> lines = driver::ReadListLines(m_main, IDC_LAYOUT_LIST);
    int line = -1;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == title) line = static_cast<int>(i);
    if (line < 0) Difference("restore: the layout \"" + FromWide(title) + "\" is not listed");
    driver::SelectListLine(m_main, IDC_LAYOUT_LIST, line);
    m_sawBusy = false;
    m_mayAsk = autoArranges;
    const DWORD start = GetTickCount();
    m_seeBusyFrom = start;
    driver::PressButton(m_main, button);
    return start;
}

bool Program::IsIdle() const {
    // The busy dialog disables remember until the restore has ended.
    if (!driver::IsEnabled(GetDlgItem(m_main, IDC_REMEMBER))) {
        m_sawBusy = true;
        return false;
    }
    return m_sawBusy;
}

void Program::WaitABit(DWORD start) const {
    if (AnswerArrangeQuestion()) m_seeBusyFrom = GetTickCount();
    if (!m_sawBusy && GetTickCount() - m_seeBusyFrom >= kSeeBusyMs) {
        m_sawBusy = true;  // over before it was seen
        return;
    }
    NoBox("a restore");
    if (GetTickCount() - start >= kRestoreTimeoutMs) Difference("restore: still busy after 180 s");
    Sleep(50);
}

void Program::Close() {
    driver::PostClose(m_main);
    DWORD code = 0;
    if (!m_process.WaitForExit(30000, &code)) {
        NoBox("closing");
        Difference("close: the program still runs 30 s after WM_CLOSE");
    }
    if (code != 0) Difference("close: exit code " + std::to_string(code));
}

}  // namespace check

// The running program (see app.h).
#include "tests/e2e/harness/app.h"

#include <algorithm>

#include "tests/e2e/harness/registry.h"
#include "tests/e2e/harness/waits.h"
#include "ui/resource.h"

namespace e2e {

const wchar_t kAppCaption[] = L"TORVINEL";
const wchar_t kDeleteCaption[] = L"削除の確認";
const wchar_t kCautionCaption[] = L"ご注意！";

namespace {
// A ceiling, not a measure: a start that first finishes a staged save of thousands of
// values may take many seconds on a loaded machine.
constexpr DWORD kStartMs = 30000;
}  // namespace

std::wstring TorvinelExePath() {
    std::wstring path = TORVINEL_EXE_PATH;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

RunningApp::RunningApp(StartAs as, const std::wstring& exePath) {
    if (as == StartAs::kNt) {
        m_process = driver::Start(exePath);
        if (m_process)
            m_main = driver::WaitForDialog(m_process.id(), driver::kMainCaption, kStartMs);
        return;
    }
    SetWin98(true);
    m_process = driver::Start(exePath);
    // The platform warning (captioned with the application name) comes first.
    m_warning = m_process ? driver::WaitForDialog(m_process.id(), kAppCaption, kStartMs) : nullptr;
    SetWin98(false);
    if (as == StartAs::kWin98) PassWarning();
}

RunningApp::~RunningApp() { m_process.Terminate(); }

HWND RunningApp::PassWarning() {
    if (!m_warning) return nullptr;
    driver::AnswerMessageBox(m_warning, IDOK);
    m_warning = nullptr;
    m_main = driver::WaitForDialog(m_process.id(), driver::kMainCaption, kStartMs);
    return m_main;
}

HWND RunningApp::WaitForBox(const std::wstring& caption, DWORD timeoutMs) const {
    return driver::WaitForDialog(m_process.id(), caption, timeoutMs);
}

::testing::AssertionResult RunningApp::Close(DWORD timeoutMs) const {
    driver::PostClose(m_main);
    DWORD code = 1;
    if (!m_process.WaitForExit(timeoutMs, &code))
        return ::testing::AssertionFailure() << "hangs at exit";
    if (code != 0) return ::testing::AssertionFailure() << "exit code " << code;
    return ::testing::AssertionSuccess();
}

std::vector<std::wstring> RunningApp::Lines() const {
    return driver::ReadListLines(m_main, IDC_LAYOUT_LIST);
}

int RunningApp::Selection() const { return driver::ReadListSelection(m_main, IDC_LAYOUT_LIST); }

void RunningApp::Select(int line) const { driver::SelectListLine(m_main, IDC_LAYOUT_LIST, line); }

std::optional<std::wstring> RunningApp::AnswerBox(const std::wstring& caption, DWORD timeoutMs,
                                                  int button) const {
    HWND box = WaitForBox(caption, timeoutMs);
    if (!box) return std::nullopt;
    std::wstring text = driver::ReadMessageBoxText(box);
    driver::AnswerMessageBox(box, button);
    if (!driver::WaitForClose(box)) return std::nullopt;
    return text;
}

bool RunningApp::PressRemember(const std::wstring& title) const {
    driver::ClickButton(m_main, IDC_REMEMBER);
    return driver::EnterTitle(title);
}

::testing::AssertionResult RunningApp::Remember(const std::wstring& title) const {
    const size_t before = Lines().size();
    if (!PressRemember(title))
        return ::testing::AssertionFailure() << "no title dialog, or it stays";
    if (!WaitForLines(m_main, before + 1)) return ::testing::AssertionFailure() << "no new line";
    return ::testing::AssertionSuccess();
}

HWND RunningApp::PressDelete(DWORD timeoutMs) const {
    driver::ClickButton(m_main, IDC_DELETE);
    return WaitForBox(kDeleteCaption, timeoutMs);
}

::testing::AssertionResult RunningApp::DeleteLine(int line) const {
    const size_t before = Lines().size();
    Select(line);
    HWND box = PressDelete();
    if (!box) return ::testing::AssertionFailure() << "no delete question";
    driver::AnswerMessageBox(box, IDYES);
    if (!driver::WaitForClose(box)) return ::testing::AssertionFailure() << "the question stays";
    if (!WaitForLines(m_main, before - 1, 5000))
        return ::testing::AssertionFailure() << "the line stays listed";
    return ::testing::AssertionSuccess();
}

}  // namespace e2e

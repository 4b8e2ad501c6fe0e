// The remember command of the main dialog: asks for a title, offers to overwrite a
// layout of that title, captures the desktop and lists the new layout.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "desktop/access/view_session.h"
#include "desktop/access/win32_desktop.h"
#include "desktop/capture/capture.h"
#include "ui/layout_dlg.h"
#include "ui/title_dlg.h"
#include "win/win_app.h"

namespace {

const char kOverwriteQuestion[] = "同じタイトルがあります。上書きしますか？";
const char kCaution[] = "ご注意！";
const char kNoShortcuts[] = "ショートカットがありません";
// The capture's parsing names, from the session with the shell's view object.
class SessionNamer : public desktop::ParsingNamer {
public:
    explicit SessionNamer(desktop::ViewSession* session) : m_session(session) {}
    std::vector<std::wstring> ParsingNames(const std::vector<desktop::ReadIcon>& reading) override {
        return m_session ? m_session->ParsingNames(reading, desktop::kViewSessionWaitMs)
                         : std::vector<std::wstring>();
    }

private:
    desktop::ViewSession* m_session;
};

}  // namespace

const char CLayoutDlg::kFailedText[] = "失敗しました。ゴメン。";

void CLayoutDlg::OnRemember() {
    CTitleDlg dlg(m_hWnd);
    int replaced = -1;  // the layout of the same title that the user agreed to overwrite
    for (;;) {
        if (dlg.DoModal() != IDOK) return;
        const int k = m_layouts.FindTitle(dlg.m_strTitle.c_str());
        if (k < 0) break;
        // No: the title dialog again, still showing what was typed.
        if (MessageBoxA(m_hWnd, kOverwriteQuestion, kCaution, MB_YESNO) == IDYES) {
            replaced = k;
            break;
        }
    }

    // The old layout stays until the new one is captured: a capture that ends without
    // a layout must not cost the user the one they had.
    desktop::Win32Desktop desk;
    // The shell's view object names each icon by what it is (its path), on a thread of
    // its own: one that does not answer costs the capture no more than its time-out.
    std::unique_ptr<desktop::ViewSession> session;
    if (m_scheme == desktop::Scheme::RemoteByName)
        session = std::make_unique<desktop::ViewSession>();
    SessionNamer namer(session.get());
    switch (desktop::CaptureLayout(desk, m_layouts, dlg.m_strTitle, m_scheme, &namer)) {
        case desktop::CaptureOutcome::NoView:
            return;
        case desktop::CaptureOutcome::NoIcons:
            AfxMessageBox(kNoShortcuts);
            return;
        case desktop::CaptureOutcome::Failed:
            AfxMessageBox(kFailedText);
            return;
        case desktop::CaptureOutcome::Captured:
            if (replaced >= 0) {
                m_layouts.RemoveLayout(replaced);
                m_list.DeleteString(replaced);
            }
            m_list.AddString(dlg.m_strTitle.c_str());
            return;
    }
}

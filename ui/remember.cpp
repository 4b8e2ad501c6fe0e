// The remember command of the main dialog: asks for a title, offers to overwrite a
// layout of that title, captures the desktop and lists the new layout.
#include <windows.h>

#include "desktop/access/win32_desktop.h"
#include "desktop/capture/capture.h"
#include "ui/layout_dlg.h"
#include "ui/title_dlg.h"
#include "win/win_app.h"

namespace {

const char kOverwriteQuestion[] = "同じタイトルがあります。上書きしますか？";
const char kCaution[] = "ご注意！";
const char kNoShortcuts[] = "ショートカットがありません";
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
    switch (desktop::CaptureLayout(desk, m_layouts, dlg.m_strTitle, m_scheme)) {
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

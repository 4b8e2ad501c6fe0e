// Title entry: the edit is bound to m_strTitle in both directions.
#include "ui/title_dlg.h"

#include <vector>

#include "ui/resource.h"

CTitleDlg::CTitleDlg(HWND parent) : CDialog(IDD_TITLE, parent) {}

CTitleDlg::~CTitleDlg() = default;

BOOL CTitleDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemTextA(m_hWnd, IDC_TITLE, m_strTitle.c_str());
    return TRUE;  // the edit, first in tab order, takes the focus
}

void CTitleDlg::OnOK() {
    HWND edit = GetDlgItem(m_hWnd, IDC_TITLE);
    std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
    const int got = GetWindowTextA(edit, text.data(), static_cast<int>(text.size()));
    m_strTitle.assign(text.data(), got > 0 ? static_cast<size_t>(got) : 0);
    CDialog::OnOK();
}

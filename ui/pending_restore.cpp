// Stand-ins for the restore handlers until desktop/restore provides them.
#include "ui/layout_dlg.h"

void CLayoutDlg::OnRestore() {}
void CLayoutDlg::OnFunRestore() {}

LRESULT CLayoutDlg::OnRestoreDone(WPARAM, LPARAM) {
    m_bBusy = 0;
    UpdateButtons();
    return 0;
}

// Stand-in for the remember handler until desktop/capture provides it.
#include "ui/layout_dlg.h"

void CLayoutDlg::OnRemember() {}

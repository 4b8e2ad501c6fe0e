// The About box: template only, ended by its OK button.
#pragma once

#include "win/dialog.h"
#include "ui/resource.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(HWND parent = nullptr) : CDialog(IDD_ABOUT, parent) {}
};

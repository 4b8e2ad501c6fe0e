// The title entry dialog of the remember command (template IDD_TITLE).
#pragma once

#include <windows.h>

#include <string>

#include "win/dialog.h"

class CTitleDlg : public CDialog {
public:
    explicit CTitleDlg(HWND parent);
    ~CTitleDlg() override;

    // The edit IDC_TITLE's text: shown when the dialog opens, taken back on OK, kept as
    // it was on Cancel. No validation and no length limit.
    std::string m_strTitle;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};

// The application: one modal run of the main dialog between loading and saving the
// saved layouts, one run per registry key at a time.
#pragma once

#include "app/globals.h"
#include "win/win_app.h"

class CLayoutApp : public CWinApp {
public:
    CLayoutApp() = default;  // the name is derived from the executable at start
    ~CLayoutApp() override;

    BOOL InitInstance() override;
    // Log-off or shut-down with the dialog open: the layouts are saved at once.
    void OnSessionEnding() override;
    void LoadLayouts();
    void SaveLayouts();
};

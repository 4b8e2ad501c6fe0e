// The application: one modal run of the main dialog between loading and saving the
// saved layouts.
#pragma once

#include "app/globals.h"
#include "win/win_app.h"

class CLayoutApp : public CWinApp {
public:
    CLayoutApp() = default;  // the name is derived from the executable at start
    ~CLayoutApp() override;

    BOOL InitInstance() override;
    void LoadLayouts();
    void SaveLayouts();
};

// The application: one modal run of the main dialog between loading and saving the
// saved layouts.
#pragma once

#include <string>

#include "store/layout_store.h"
#include "ui/framework/win_app.h"

class CLayoutApp : public CWinApp {
public:
    CLayoutApp() = default;  // the name is derived from the executable at start
    ~CLayoutApp() override;

    BOOL InitInstance() override;
    void LoadLayouts();
    void SaveLayouts();
};

// Registry key of the saved layouts under HKEY_CURRENT_USER:
// "Software\BRANOK Soft\" + application name; set by InitInstance.
extern std::string g_strRegKey;
extern CLayoutApp g_app;
extern CLayoutStore g_layouts;

// The program's static objects and its whole run.
#include "app/layout_app.h"

#include "store/layout_persistence.h"
#include "ui/layout_dlg.h"

// Constructed in this order (and destroyed in reverse) because they share this file.
std::string g_strRegKey;
CLayoutApp g_app;
CLayoutStore g_layouts;
OSVERSIONINFOA g_osvi = {};

CLayoutApp::~CLayoutApp() = default;

BOOL CLayoutApp::InitInstance() {
    // The 3-D control look matters only before Windows 4.0: nothing to switch on.
    g_strRegKey = "Software";
    g_strRegKey += '\\';
    g_strRegKey += "BRANOK Soft";
    g_strRegKey += '\\';
    g_strRegKey += m_strAppName;

    LoadLayouts();
    {
        CLayoutDlg dlg(g_layouts, g_osvi);
        m_pMainWnd = &dlg;
        dlg.DoModal();  // however it ends, the layouts are saved
        m_pMainWnd = nullptr;
        SaveLayouts();
    }
    return FALSE;
}

void CLayoutApp::LoadLayouts() { ::LoadLayouts(g_layouts, g_strRegKey); }

void CLayoutApp::SaveLayouts() { ::SaveLayouts(g_layouts, g_strRegKey); }

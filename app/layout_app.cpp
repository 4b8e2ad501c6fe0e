// The program's static objects and its whole run.
#include "app/layout_app.h"

#include "desktop/access/view_commit.h"
#include "store/layout_persistence.h"
#include "ui/layout_dlg.h"
#include "win/single_run.h"

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

    // Two copies of one key would each write their whole store at exit, the last one
    // over the other's layouts. A second start shows the running copy and ends without
    // touching the registry; one made while the first is closing waits for its save.
    CSingleRun run(g_strRegKey);
    if (run.Acquire() == CSingleRun::Claim::Deferred) return FALSE;
    m_strWindowMark = run.WindowMark();

    LoadLayouts();
    {
        CLayoutDlg dlg(g_layouts, g_osvi);
        m_pMainWnd = &dlg;
        dlg.DoModal();  // however it ends, the layouts are saved
        m_pMainWnd = nullptr;
        SaveLayouts();
        run.Release();
        if (dlg.WorkerStillRunning() || desktop::ViewCommitStillRunning()) {
            // A restore worker stuck on a shell that never answers still reads the
            // dialog and the layouts, and a commit stuck in the view object would hold
            // a normal exit: end here, saved, before either is destroyed.
            TerminateProcess(GetCurrentProcess(), 0);
        }
    }
    return FALSE;
}

void CLayoutApp::OnSessionEnding() { SaveLayouts(); }

void CLayoutApp::OnMainWindowCreated(HWND hwnd) noexcept {
    if (!m_strWindowMark.empty())
        SetPropA(hwnd, m_strWindowMark.c_str(), reinterpret_cast<HANDLE>(1));
}

void CLayoutApp::OnMainWindowDestroyed(HWND hwnd) noexcept {
    if (!m_strWindowMark.empty()) RemovePropA(hwnd, m_strWindowMark.c_str());
}

void CLayoutApp::LoadLayouts() { ::LoadLayouts(g_layouts, g_strRegKey); }

void CLayoutApp::SaveLayouts() { ::SaveLayouts(g_layouts, g_strRegKey); }

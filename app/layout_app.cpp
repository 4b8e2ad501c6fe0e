// The program's static objects and its whole run.
#include "app/layout_app.h"

#include "desktop/access/view_session.h"
#include "store/layout_persistence.h"
#include "ui/layout_dlg.h"
#include "win/single_run.h"

// Constructed in this order (and destroyed in reverse) because they share this file.
std::string g_strRegKey;
CLayoutApp g_app;
CLayoutStore g_layouts;
OSVERSIONINFOA g_osvi = {};

namespace {

constexpr const char kSaveFailed[] = "配置を保存できませんでした。";
constexpr const char kUnreadable[] =
    "保存されている配置を読み込めませんでした。このまま続けても、今回の変更は保存されません。";
constexpr const char kAnotherRun[] = "TORVINEL はほかで実行中か、終了の途中です。";

// A notice about the store, with the full key on its second line.
std::string StoreNotice(const char* text) {
    return std::string(text) + "\n" + "HKEY_CURRENT_USER\\" + g_strRegKey;
}

}  // namespace

CLayoutApp::~CLayoutApp() = default;

BOOL CLayoutApp::InitInstance() {
    // The 3-D control look matters only before Windows 4.0: nothing to switch on.
    g_strRegKey = "Software";
    g_strRegKey += '\\';
    g_strRegKey += "BRANOK Soft";
    g_strRegKey += '\\';
    g_strRegKey += m_strAppName;

    // Two copies of one key run by one user would each write their whole store at exit,
    // the last one over the other's layouts (another user's key is another key: the
    // guard is per user). A second start shows the running copy and ends without
    // touching the registry; one made while the first is closing waits for its save,
    // and says so and ends if that takes longer than the guard's patience.
    CSingleRun run(g_strRegKey);
    switch (run.Acquire()) {
        case CSingleRun::Claim::Owner:
            break;
        case CSingleRun::Claim::Deferred:
            return FALSE;
        case CSingleRun::Claim::Busy:
            AfxMessageBox(kAnotherRun, MB_OK | MB_ICONEXCLAMATION);
            return FALSE;
    }
    m_strWindowMark = run.WindowMark();

    const LoadResult loaded = LoadLayouts();
    {
        CLayoutDlg dlg(g_layouts, g_osvi);
        if (loaded == LoadResult::kUnreadable)
            dlg.SetOpeningNotice(StoreNotice(kUnreadable));
        else if (loaded == LoadResult::kSaveUnfinished)
            dlg.SetOpeningNotice(StoreNotice(kSaveFailed));
        m_pMainWnd = &dlg;
        dlg.DoModal();  // however it ends, the layouts are saved
        m_pMainWnd = nullptr;
        // The save is over before the box: a copy started while the box is up opens at
        // once instead of waiting on a guard that protects nothing any more.
        const bool saved = SaveLayouts();
        run.Release();
        if (!saved) AfxMessageBox(StoreNotice(kSaveFailed).c_str(), MB_OK | MB_ICONEXCLAMATION);
        if (dlg.WorkerStillRunning() || desktop::ViewSessionStillRunning()) {
            // A restore worker stuck on a shell that never answers still reads the
            // dialog's words and the copy it restores, and a session stuck in the view
            // object would hold a normal exit: end here, saved, before either is
            // destroyed.
            TerminateProcess(GetCurrentProcess(), 0);
        }
    }
    return FALSE;
}

// No box here: the session does not wait for an answer. What the next start lists
// stays whole either way.
void CLayoutApp::OnSessionEnding() { SaveLayouts(); }

void CLayoutApp::OnMainWindowCreated(HWND hwnd) noexcept {
    if (!m_strWindowMark.empty())
        SetPropA(hwnd, m_strWindowMark.c_str(), reinterpret_cast<HANDLE>(1));
}

void CLayoutApp::OnMainWindowDestroyed(HWND hwnd) noexcept {
    if (!m_strWindowMark.empty()) RemovePropA(hwnd, m_strWindowMark.c_str());
}

LoadResult CLayoutApp::LoadLayouts() {
    const LoadResult loaded = ::LoadLayouts(g_layouts, g_strRegKey);
    m_bMaySave = loaded != LoadResult::kUnreadable;
    return loaded;
}

bool CLayoutApp::SaveLayouts() {
    // A store that could not be read is never written over, not even by staging.
    if (!m_bMaySave) return true;
    return ::SaveLayouts(g_layouts, g_strRegKey);
}

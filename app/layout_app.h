// The application: one modal run of the main dialog between loading and saving the
// saved layouts, one run per registry key at a time.
#pragma once

#include <string>

#include "app/globals.h"
#include "store/layout_persistence.h"
#include "win/win_app.h"

class CLayoutApp : public CWinApp {
public:
    CLayoutApp() = default;  // the name is derived from the executable at start
    ~CLayoutApp() override;

    BOOL InitInstance() override;
    // Log-off or shut-down with the dialog open: the layouts are saved at once.
    void OnSessionEnding() override;
    // The main window carries the single-run mark while it exists: how a second start
    // finds this run.
    void OnMainWindowCreated(HWND hwnd) noexcept override;
    void OnMainWindowDestroyed(HWND hwnd) noexcept override;
    LoadResult LoadLayouts();
    // False when the layouts could not be saved; true also when nothing was to be
    // written (a store that could not be read at start).
    bool SaveLayouts();

private:
    std::string m_strWindowMark;  // empty until the run owns its name
    bool m_bMaySave = false;      // the store was read, so it may be written
};

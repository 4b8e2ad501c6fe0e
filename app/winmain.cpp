// Process entry of TORVINEL.EXE (GUI subsystem): hands the run to the application.
#include <windows.h>

#include "win/win_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CWinApp* app = AfxGetApp();
    return app ? app->Run(instance) : 1;
}

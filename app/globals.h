// The program's global objects, defined in layout_app.cpp in the order they must be
// constructed (and, in reverse, destroyed).
#pragma once

#include <windows.h>

#include <string>

#include "store/layout_store.h"

class CLayoutApp;

// Registry key of the saved layouts under HKEY_CURRENT_USER:
// "Software\BRANOK Soft\" + application name; set by InitInstance.
extern std::string g_strRegKey;
extern CLayoutApp g_app;
// Every saved layout, loaded at start and saved when the dialog has closed.
extern CLayoutStore g_layouts;
// The platform version record, filled when the main dialog opens.
extern OSVERSIONINFOA g_osvi;

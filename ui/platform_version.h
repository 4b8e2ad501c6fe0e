// The platform version record, filled once when the main dialog opens.
// dwPlatformId 2 (VER_PLATFORM_WIN32_NT) selects the remote-block scheme and matching
// by text; any other value the shared-block scheme and matching by index.
#pragma once

#include <windows.h>

extern OSVERSIONINFOA g_osvi;

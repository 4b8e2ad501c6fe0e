// The Win32 registry and profile-file functions the profile store calls: Windows' own,
// or on native builds the in-memory stand-in that the test doubles provide under the
// same names (its library puts <win32_registry_api.h> on the include path).
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <win32_registry_api.h>
#endif

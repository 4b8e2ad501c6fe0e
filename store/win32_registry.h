// The Win32 registry and profile-file functions: the real ones on Windows, the
// in-memory stand-in of platform/registry on native builds.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/registry/win32_registry_api.h"
#endif

// An owned registry key handle, closed exactly once.
#pragma once

#include "store/registry_api.h"
#include "win/unique_handle.h"

inline void CloseRegistryKey(HKEY key) { RegCloseKey(key); }

using UniqueRegKey = win::UniqueAny<win::ClosedBy<HKEY, CloseRegistryKey>>;

// Creates or opens subKey below parent with the given access into `key` (closing what
// it held); false on failure, leaving `key` closed.
inline bool CreateRegistryKey(UniqueRegKey& key, HKEY parent, const char* subKey, REGSAM access) {
    DWORD disposition = 0;
    if (RegCreateKeyExA(parent, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                        key.Put(), &disposition) == ERROR_SUCCESS)
        return true;
    key.Release();  // whatever a failed call left in the out-parameter is no handle of ours
    return false;
}

// Opens an existing subKey below parent into `key` (closing what it held); the
// registry's answer, leaving `key` closed on failure.
inline LONG OpenRegistryKey(UniqueRegKey& key, HKEY parent, const char* subKey, REGSAM access) {
    const LONG rc = RegOpenKeyExA(parent, subKey, 0, access, key.Put());
    if (rc != ERROR_SUCCESS) key.Release();
    return rc;
}

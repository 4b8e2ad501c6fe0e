// Windows only: the access a registry key grants, set from SDDL for a test and given
// back afterwards. Every DACL a test sets keeps READ_CONTROL, WRITE_DAC and DELETE for
// everyone, so the test can always give the right back and remove its key.
#pragma once

#include <windows.h>
#include <sddl.h>

#include <string>

namespace keydacl {

// Rights for "everyone" on top of the ones kept: reading, or nothing at all.
constexpr const char kReadOnly[] = "D:P(A;;0x70019;;;WD)";  // KEY_READ + kept
constexpr const char kNoAccess[] = "D:P(A;;0x70000;;;WD)";  // kept rights only
constexpr const char kFullAccess[] = "D:P(A;;KA;;;WD)";

// Sets the DACL of HKEY_CURRENT_USER\<path>; false when the registry refused.
inline bool Set(const std::string& path, const char* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, nullptr))
        return false;
    HKEY key = nullptr;
    bool done = false;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        done = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    LocalFree(sd);
    return done;
}

// Sets the same DACL on a key and each of the subkeys named.
inline bool SetAll(const std::string& key, std::initializer_list<const char*> subkeys,
                   const char* sddl) {
    bool done = Set(key, sddl);
    for (const char* sub : subkeys) done = Set(key + "\\" + sub, sddl) && done;
    return done;
}

}  // namespace keydacl

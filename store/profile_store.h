// Named integer and string values in named sections: subkeys of a registry key
// (registry mode) or sections of a profile file (profile-file mode). Only one section
// subkey is open at a time; switching sections closes it and opens the next.
#pragma once

#include <cstdint>
#include <string>

#include "store/registry_key.h"
#include "store/registry_api.h"

class CProfileStore {
public:
    CProfileStore() = default;
    ~CProfileStore() { Close(); }
    CProfileStore(const CProfileStore&) = delete;
    CProfileStore& operator=(const CProfileStore&) = delete;

    // iniFile null: registry mode, creates or opens keyPath below root (0 when a base key
    // is already open). Otherwise profile-file mode on that file; nothing is touched.
    int Open(HKEY root, const char* keyPath, const char* iniFile);
    void Close();
    int SelectSection(const char* section);
    void CloseSection();

    // The value's 4 bytes as a little-endian signed integer; shorter data is
    // zero-extended; missing, longer or unreadable data gives nDefault. The type is not
    // examined. *present (if given) tells whether the entry exists in registry mode; in
    // profile-file mode it is always true. *exact (if given) tells whether the entry
    // holds what an integer is written as: a REG_DWORD of 4 bytes (always true in
    // profile-file mode).
    int32_t GetInt(const char* section, const char* entry, int32_t nDefault,
                   bool* present = nullptr, bool* exact = nullptr);
    // Registry mode: the value's data up to its first NUL (or its end), of any length.
    // Profile-file mode: at most 254 characters. Missing gives the default (or empty).
    std::string GetString(const char* section, const char* entry, const char* defaultText,
                          bool* present = nullptr);
    int WriteString(const char* section, const char* entry, const char* text);
    int WriteInt(const char* section, const char* entry, int32_t value);

    // Number of values in a section subkey (registry mode); 0 when it cannot be told.
    uint32_t GetValueCount(const char* section);

private:
    bool IsProfileFile() const { return !m_strIniFile.empty(); }

    std::string m_strKey;
    std::string m_strSection;
    std::string m_strIniFile;
    UniqueRegKey m_hKey;
    UniqueRegKey m_hSectionKey;
};

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

    enum class Access {
        kRead,       // keys are opened, never created; nothing can be written
        kReadWrite,  // keys are created when missing
    };

    // iniFile null: registry mode on keyPath below root (0 when a base key is already
    // open, or it cannot be opened). Otherwise profile-file mode on that file; nothing
    // is touched.
    int Open(HKEY root, const char* keyPath, const char* iniFile,
             Access access = Access::kReadWrite);
    void Close();
    int SelectSection(const char* section);
    // Registry mode: selects the section only when its subkey exists, creating nothing
    // even read-write; false (and no failure) when it does not.
    bool SelectExistingSection(const char* section);
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

    // Registry mode only (profile-file mode reads nothing and writes nothing): a REG_SZ
    // value in UTF-16 (the W functions), so every character is kept whatever the code
    // page. entry is ASCII. A read gives the text up to its first NUL, of any length;
    // missing gives empty. A write stores the text up to its first NUL, and its NUL.
    std::wstring GetWideString(const char* section, const char* entry, bool* present = nullptr);
    int WriteWideString(const char* section, const char* entry, const std::wstring& text);
    // Registry mode: removes the value; 1 when it is gone, also when it was never there.
    int DeleteValue(const char* section, const char* entry);

    // Number of values in a section subkey (registry mode); 0 when it cannot be told.
    uint32_t GetValueCount(const char* section);

    // Registry mode: some call since Open failed for another reason than a key or value
    // that does not exist (access refused, a key deleted meanwhile, ...), so what was
    // read or written is not all there is. Misses and wrong types or sizes are no
    // failure: the readers above handle them.
    bool Failed() const { return m_failed; }

private:
    bool IsProfileFile() const { return !m_strIniFile.empty(); }
    // Opens (or, read-write, creates) subKey below parent; records a failure that is
    // not a plain miss.
    bool OpenKey(UniqueRegKey& key, HKEY parent, const char* subKey);
    // Records a registry answer that is neither success nor one of the `expected` ones.
    void Check(LONG rc, LONG expected = ERROR_SUCCESS);

    std::string m_strKey;
    std::string m_strSection;
    std::string m_strIniFile;
    Access m_access = Access::kReadWrite;
    bool m_failed = false;
    UniqueRegKey m_hKey;
    UniqueRegKey m_hSectionKey;
};

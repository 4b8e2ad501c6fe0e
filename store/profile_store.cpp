// CProfileStore: registry mode through RegOpenKeyExA or RegCreateKeyExA,
// RegQueryValueExA/W, RegSetValueExA/W and RegDeleteValueA,
// profile-file mode through the GetPrivateProfile*/WritePrivateProfileStringA functions.
#include "store/profile_store.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "store/wide_text.h"

namespace {

// Read-write: every key, base or section, is opened by creation with KEY_READ |
// KEY_WRITE. Read: opened with KEY_READ alone, so a store the user may only read loads.
constexpr REGSAM kReadWriteAccess = 0x2001F;
constexpr REGSAM kReadAccess = KEY_READ;

// The text in data[0..size): up to its first NUL, or all of it when there is none.
std::string TextOf(const char* data, DWORD size) {
    const void* nul = std::memchr(data, '\0', size);
    return std::string(data, nul ? static_cast<const char*>(nul) - data : size);
}

// An ASCII value name in the UTF-16 units the W functions take.
std::u16string WideName(const char* entry) {
    std::u16string name;
    for (; entry && *entry; ++entry) name.push_back(static_cast<unsigned char>(*entry));
    return name;
}

const WCHAR* AsWide(const std::u16string& units) {
    return reinterpret_cast<const WCHAR*>(units.c_str());
}

// The text in units[0..size / 2): up to its first NUL, or all of it when there is none.
std::wstring WideTextOf(const char16_t* units, DWORD size) {
    const size_t count = size / sizeof(char16_t);
    size_t length = 0;
    while (length < count && units[length] != 0) ++length;
    return FromUtf16(units, length);
}

}  // namespace

int CProfileStore::Open(HKEY root, const char* keyPath, const char* iniFile, Access access) {
    if (iniFile) {
        m_strIniFile = iniFile;
        return 1;
    }
    m_strIniFile.clear();
    if (m_hKey) return 0;
    m_access = access;
    m_failed = false;
    if (!OpenKey(m_hKey, root, keyPath)) return 0;
    m_strKey = keyPath ? keyPath : "";
    return 1;
}

bool CProfileStore::OpenKey(UniqueRegKey& key, HKEY parent, const char* subKey) {
    if (m_access == Access::kRead) {
        Check(OpenRegistryKey(key, parent, subKey, kReadAccess), ERROR_FILE_NOT_FOUND);
        return static_cast<bool>(key);
    }
    if (CreateRegistryKey(key, parent, subKey, kReadWriteAccess)) return true;
    m_failed = true;
    return false;
}

void CProfileStore::Check(LONG rc, LONG expected) {
    if (rc != ERROR_SUCCESS && rc != expected) m_failed = true;
}

void CProfileStore::Close() {
    if (IsProfileFile()) return;
    CloseSection();
    m_hKey.Reset();
}

void CProfileStore::CloseSection() {
    if (IsProfileFile()) return;
    if (m_hSectionKey) {
        m_hSectionKey.Reset();
        m_strSection.clear();
    }
}

int CProfileStore::SelectSection(const char* section) {
    if (IsProfileFile()) return 1;
    if (!m_hKey || !section) return 0;
    if (m_hSectionKey && m_strSection == section) return 1;
    CloseSection();
    if (!OpenKey(m_hSectionKey, m_hKey.Get(), section)) return 0;
    m_strSection = section;
    return 1;
}

bool CProfileStore::SelectExistingSection(const char* section) {
    if (IsProfileFile() || !m_hKey || !section) return false;
    if (m_hSectionKey && m_strSection == section) return true;
    CloseSection();
    const REGSAM access = m_access == Access::kRead ? kReadAccess : kReadWriteAccess;
    Check(OpenRegistryKey(m_hSectionKey, m_hKey.Get(), section, access), ERROR_FILE_NOT_FOUND);
    if (!m_hSectionKey) return false;
    m_strSection = section;
    return true;
}

int32_t CProfileStore::GetInt(const char* section, const char* entry, int32_t nDefault,
                              bool* present, bool* exact) {
    if (present) *present = IsProfileFile();
    if (exact) *exact = IsProfileFile();
    if (IsProfileFile()) {
        return static_cast<int32_t>(
            GetPrivateProfileIntA(section, entry, nDefault, m_strIniFile.c_str()));
    }
    if (SelectSection(section) != 1) return nDefault;
    BYTE data[4] = {0, 0, 0, 0};
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    const LONG rc = RegQueryValueExA(m_hSectionKey.Get(), entry, nullptr, &type, data, &size);
    if (rc != ERROR_MORE_DATA) Check(rc, ERROR_FILE_NOT_FOUND);  // longer data: a wrong size
    if (present) *present = rc != ERROR_FILE_NOT_FOUND;
    if (exact) *exact = rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof data;
    if (rc != ERROR_SUCCESS || size > sizeof data) return nDefault;
    return static_cast<int32_t>(
        static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
        static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24);
}

std::string CProfileStore::GetString(const char* section, const char* entry,
                                     const char* defaultText, bool* present) {
    if (!defaultText) defaultText = "";
    if (present) *present = IsProfileFile();
    char buffer[256];
    if (IsProfileFile()) {
        GetPrivateProfileStringA(section, entry, defaultText, buffer, sizeof buffer - 1,
                                 m_strIniFile.c_str());
        buffer[sizeof buffer - 1] = '\0';
        return buffer;
    }
    if (SelectSection(section) != 1) return defaultText;
    DWORD size = sizeof buffer;
    LONG rc = RegQueryValueExA(m_hSectionKey.Get(), entry, nullptr, nullptr,
                               reinterpret_cast<BYTE*>(buffer), &size);
    if (present) *present = rc != ERROR_FILE_NOT_FOUND;
    if (rc == ERROR_SUCCESS) return TextOf(buffer, size);
    // Longer than the buffer: read it whole into one of the size the registry told.
    // A value that grows between the two reads is asked again, a few times at most.
    for (int attempt = 0; rc == ERROR_MORE_DATA && attempt < 4; ++attempt) {
        std::vector<char> large(static_cast<size_t>(size) + 1);
        size = static_cast<DWORD>(large.size());
        rc = RegQueryValueExA(m_hSectionKey.Get(), entry, nullptr, nullptr,
                              reinterpret_cast<BYTE*>(large.data()), &size);
        if (rc == ERROR_SUCCESS) return TextOf(large.data(), size);
    }
    Check(rc, ERROR_FILE_NOT_FOUND);  // still growing after every attempt counts too
    return defaultText;
}

int CProfileStore::WriteString(const char* section, const char* entry, const char* text) {
    if (!text) text = "";
    if (IsProfileFile()) {
        WritePrivateProfileStringA(section, entry, text, m_strIniFile.c_str());
        return 1;
    }
    if (SelectSection(section) != 1) return 0;
    const auto size = static_cast<DWORD>(std::strlen(text) + 1);
    const LONG rc = RegSetValueExA(m_hSectionKey.Get(), entry, 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(text), size);
    Check(rc);
    return rc == ERROR_SUCCESS ? 1 : 0;
}

int CProfileStore::WriteInt(const char* section, const char* entry, int32_t value) {
    if (IsProfileFile()) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
        WritePrivateProfileStringA(section, entry, text, m_strIniFile.c_str());
        return 1;
    }
    if (SelectSection(section) != 1) return 0;
    const auto bits = static_cast<uint32_t>(value);
    const BYTE data[4] = {static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8),
                          static_cast<BYTE>(bits >> 16), static_cast<BYTE>(bits >> 24)};
    const LONG rc = RegSetValueExA(m_hSectionKey.Get(), entry, 0, REG_DWORD, data, sizeof data);
    Check(rc);
    return rc == ERROR_SUCCESS ? 1 : 0;
}

uint32_t CProfileStore::GetValueCount(const char* section) {
    if (IsProfileFile() || SelectSection(section) != 1) return 0;
    DWORD values = 0;
    const LONG rc = RegQueryInfoKeyA(m_hSectionKey.Get(), nullptr, nullptr, nullptr, nullptr,
                                     nullptr, nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    Check(rc);
    return rc == ERROR_SUCCESS ? values : 0;
}

std::wstring CProfileStore::GetWideString(const char* section, const char* entry, bool* present) {
    if (present) *present = false;
    if (IsProfileFile() || SelectSection(section) != 1) return std::wstring();
    const std::u16string name = WideName(entry);
    char16_t buffer[128];
    DWORD size = sizeof buffer;
    LONG rc = RegQueryValueExW(m_hSectionKey.Get(), AsWide(name), nullptr, nullptr,
                               reinterpret_cast<BYTE*>(buffer), &size);
    if (present) *present = rc != ERROR_FILE_NOT_FOUND;
    if (rc == ERROR_SUCCESS) return WideTextOf(buffer, size);
    // Longer than the buffer: as GetString, read it whole into one of the size told.
    for (int attempt = 0; rc == ERROR_MORE_DATA && attempt < 4; ++attempt) {
        std::vector<char16_t> large(size / sizeof(char16_t) + 2);
        size = static_cast<DWORD>(large.size() * sizeof(char16_t));
        rc = RegQueryValueExW(m_hSectionKey.Get(), AsWide(name), nullptr, nullptr,
                              reinterpret_cast<BYTE*>(large.data()), &size);
        if (rc == ERROR_SUCCESS) return WideTextOf(large.data(), size);
    }
    Check(rc, ERROR_FILE_NOT_FOUND);
    return std::wstring();
}

int CProfileStore::WriteWideString(const char* section, const char* entry,
                                   const std::wstring& text) {
    if (IsProfileFile() || SelectSection(section) != 1) return 0;
    const std::u16string units = ToUtf16(text.c_str());
    const auto size = static_cast<DWORD>((units.size() + 1) * sizeof(char16_t));
    const LONG rc = RegSetValueExW(m_hSectionKey.Get(), AsWide(WideName(entry)), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(units.c_str()), size);
    Check(rc);
    return rc == ERROR_SUCCESS ? 1 : 0;
}

int CProfileStore::DeleteValue(const char* section, const char* entry) {
    if (IsProfileFile() || SelectSection(section) != 1) return 0;
    const LONG rc = RegDeleteValueA(m_hSectionKey.Get(), entry);
    Check(rc, ERROR_FILE_NOT_FOUND);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? 1 : 0;
}

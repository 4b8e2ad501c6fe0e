// Owns one open registry key handle and closes it exactly once.
#pragma once

#include <utility>

#include "store/win32_registry.h"

class CRegistryKey {
public:
    CRegistryKey() = default;
    ~CRegistryKey() { Reset(); }
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;
    CRegistryKey(CRegistryKey&& other) noexcept : m_hKey(std::exchange(other.m_hKey, nullptr)) {}
    CRegistryKey& operator=(CRegistryKey&& other) noexcept {
        if (this != &other) {
            Reset();
            m_hKey = std::exchange(other.m_hKey, nullptr);
        }
        return *this;
    }

    // Creates or opens subKey below parent with the given access; false on failure,
    // leaving this object closed.
    bool Create(HKEY parent, const char* subKey, REGSAM access) {
        Reset();
        HKEY opened = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExA(parent, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                            &opened, &disposition) != ERROR_SUCCESS) {
            return false;
        }
        m_hKey = opened;
        return true;
    }

    void Reset() {
        if (m_hKey) RegCloseKey(std::exchange(m_hKey, nullptr));
    }

    HKEY Get() const { return m_hKey; }
    explicit operator bool() const { return m_hKey != nullptr; }

private:
    HKEY m_hKey = nullptr;
};

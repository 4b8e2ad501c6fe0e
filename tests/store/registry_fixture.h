// Test helpers for code that uses the registry and profile files: a fresh key below
// HKEY_CURRENT_USER per test (deleted before and after), raw value access, the profile
// file's path, and natively the stand-in's log.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "store/registry_key.h"
#include "store/registry_api.h"
#ifndef _WIN32
#include "fakes/registry/registry_probe.h"
#endif

// Bytes of a value as the registry hands them back.
struct RawValue {
    LONG rc = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
};

inline std::vector<uint8_t> Bytes(const std::string& text, bool withNul = true) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    if (withNul) bytes.push_back(0);
    return bytes;
}

inline std::vector<uint8_t> DwordBytes(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

// Where a test's profile file lives: a real file in the temp folder under Wine, an
// in-memory one of the stand-in natively.
inline std::string ProfilePath(const char* name) {
#ifdef _WIN32
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + name;
#else
    return name;
#endif
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_key = std::string("Software\\BRANOK Soft\\TorvinelTest\\") + info->test_suite_name() +
                "." + info->name();
        for (char& c : m_key) {
            if (c == '/') c = '_';
        }
        RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str());
#ifndef _WIN32
        regstub::ClearLog();
#endif
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str());
#ifndef _WIN32
        EXPECT_EQ(regstub::OpenHandleCount(), 0u) << "a key handle was left open";
#endif
    }

    // Full path of a subkey of this test's key ("" for the key itself).
    std::string Path(const std::string& section) const {
        return section.empty() ? m_key : m_key + "\\" + section;
    }

    void Put(const std::string& section, const std::string& name, DWORD type,
             const std::vector<uint8_t>& data) {
        UniqueRegKey key;
        ASSERT_TRUE(CreateRegistryKey(key, HKEY_CURRENT_USER, Path(section).c_str(), KEY_WRITE));
        ASSERT_EQ(RegSetValueExA(key.Get(), name.c_str(), 0, type, data.data(),
                                 static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }
    void PutString(const std::string& section, const std::string& name, const std::string& text) {
        Put(section, name, REG_SZ, Bytes(text));
    }
    void PutDword(const std::string& section, const std::string& name, uint32_t value) {
        Put(section, name, REG_DWORD, DwordBytes(value));
    }

    RawValue Get(const std::string& section, const std::string& name) const {
        RawValue value;
        HKEY key = nullptr;
        value.rc = RegOpenKeyExA(HKEY_CURRENT_USER, Path(section).c_str(), 0, KEY_READ, &key);
        if (value.rc != ERROR_SUCCESS) return value;
        DWORD size = 0;
        value.rc = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size);
        if (value.rc == ERROR_SUCCESS) {
            value.data.resize(size);
            value.rc =
                RegQueryValueExA(key, name.c_str(), nullptr, &value.type, value.data.data(), &size);
            value.data.resize(size);
        }
        RegCloseKey(key);
        return value;
    }

    // As Get, through RegQueryValueExW: a string's data as UTF-16 units.
    RawValue GetWide(const std::string& section, const std::string& name) const {
        RawValue value;
        HKEY key = nullptr;
        value.rc = RegOpenKeyExA(HKEY_CURRENT_USER, Path(section).c_str(), 0, KEY_READ, &key);
        if (value.rc != ERROR_SUCCESS) return value;
        const std::basic_string<WCHAR> wide(name.begin(), name.end());  // ASCII names
        DWORD size = 0;
        value.rc = RegQueryValueExW(key, wide.c_str(), nullptr, &value.type, nullptr, &size);
        if (value.rc == ERROR_SUCCESS) {
            value.data.resize(size);
            value.rc =
                RegQueryValueExW(key, wide.c_str(), nullptr, &value.type, value.data.data(), &size);
            value.data.resize(size);
        }
        RegCloseKey(key);
        return value;
    }

    // The value is there with this type and exactly these bytes.
    void ExpectValue(const std::string& section, const std::string& name, DWORD type,
                     const std::vector<uint8_t>& data) const {
        const RawValue value = Get(section, name);
        EXPECT_EQ(value.rc, ERROR_SUCCESS) << name;
        EXPECT_EQ(value.type, type) << name;
        EXPECT_EQ(value.data, data) << name;
    }

    // A REG_SZ written by RegSetValueExW is there with exactly these UTF-16 units and a NUL.
    void ExpectWideValue(const std::string& section, const std::string& name,
                         const std::u16string& units) const {
        std::vector<uint8_t> bytes;
        for (const char16_t u : units + u'\0') {
            bytes.push_back(static_cast<uint8_t>(u));
            bytes.push_back(static_cast<uint8_t>(u >> 8));
        }
        const RawValue value = GetWide(section, name);
        EXPECT_EQ(value.rc, ERROR_SUCCESS) << name;
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ)) << name;
        EXPECT_EQ(value.data, bytes) << name;
    }

    bool KeyExists(const std::string& section) const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, Path(section).c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }

    DWORD ValueCount(const std::string& section) const {
        HKEY key = nullptr;
        DWORD values = 0;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, Path(section).c_str(), 0, KEY_READ, &key) ==
            ERROR_SUCCESS) {
            RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr);
            RegCloseKey(key);
        }
        return values;
    }

    // The names of a section's values, sorted.
    std::vector<std::string> ValueNames(const std::string& section) const {
        std::vector<std::string> names;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, Path(section).c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return names;
        char name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = sizeof name;
            if (RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            names.emplace_back(name, length);
        }
        RegCloseKey(key);
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string m_key;
};

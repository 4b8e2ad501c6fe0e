// The registry and profile-file behaviour the profile store relies on, checked with the
// raw Win32 calls: natively against our stand-in, under Wine against the real thing.
#include <algorithm>
#include <cstring>
#include <string>

#include "tests/store/registry_fixture.h"

namespace {

using RegistrySemantics = RegistryTest;

TEST_F(RegistrySemantics, CreateOpensExistingAndMakesMissingKeys) {
    EXPECT_FALSE(KeyExists("A\\B"));
    UniqueRegKey key;
    HKEY raw = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Path("A\\B").c_str(), 0, nullptr, 0, 0x2001F,
                              nullptr, &raw, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(raw);
    EXPECT_TRUE(KeyExists("A"));
    EXPECT_TRUE(KeyExists("a\\b")) << "key names ignore case";
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Path("A\\B").c_str(), 0, nullptr, 0, 0x2001F,
                              nullptr, &raw, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    RegCloseKey(raw);
}

TEST_F(RegistrySemantics, QueryReportsSizesAndLeavesShortBuffersUntouched) {
    const std::string text(300, 'x');
    PutString("S", "Long", text);  // 301 bytes with the NUL
    PutDword("S", "Dword", 0x12345678);
    UniqueRegKey key;
    ASSERT_TRUE(CreateRegistryKey(key, HKEY_CURRENT_USER, Path("S").c_str(), KEY_READ));

    for (DWORD bufferSize : {4u, 256u}) {
        char buffer[256];
        std::memset(buffer, '#', sizeof buffer);
        DWORD size = bufferSize;
        DWORD type = 0;
        EXPECT_EQ(RegQueryValueExA(key.Get(), "Long", nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer), &size),
                  ERROR_MORE_DATA);
        EXPECT_EQ(size, 301u);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#'));
    }
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key.Get(), "Long", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 301u);
    size = 2;
    BYTE small[4] = {9, 9, 9, 9};
    EXPECT_EQ(RegQueryValueExA(key.Get(), "Dword", nullptr, nullptr, small, &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(small[0], 9);
    EXPECT_EQ(RegQueryValueExA(key.Get(), "Missing", nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(key.Get(), "dWORD", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS)
        << "value names ignore case";
}

TEST_F(RegistrySemantics, StringStoredWithoutNulReadsBackWithOneWhenThereIsRoom) {
    // Written as 3 bytes of "abcX": the byte after the data is no NUL, so neither
    // Windows nor Wine counts one in.
    const char data[] = "abcX";
    UniqueRegKey key;
    ASSERT_TRUE(CreateRegistryKey(key, HKEY_CURRENT_USER, Path("S").c_str(), 0x2001F));
    ASSERT_EQ(RegSetValueExA(key.Get(), "NoNul", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), 3),
              ERROR_SUCCESS);
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    DWORD size = sizeof buffer;
    ASSERT_EQ(RegQueryValueExA(key.Get(), "NoNul", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::string(buffer, 5), std::string("abc\0#", 5));
    // Exactly the data's size: no room, so no NUL and nothing written past it.
    std::memset(buffer, '#', sizeof buffer);
    size = 3;
    ASSERT_EQ(RegQueryValueExA(key.Get(), "NoNul", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(buffer, 4), "abc#");
}

TEST_F(RegistrySemantics, TypesAndBytesRoundTrip) {
    struct Case {
        const char* name;
        DWORD type;
        std::vector<uint8_t> data;
    };
    const Case cases[] = {
        {"Dword", REG_DWORD, DwordBytes(0xFFFFFFFF)},
        {"Empty", REG_SZ, Bytes("")},
        {"Japanese", REG_SZ, Bytes("\x83\x5C\x83\x74\x83\x67 \x95\x5C")},  // CP932 "ソフト 表"
        {"Binary", REG_BINARY, {0, 1, 2, 0xFF, 0}},
        {"NoData", REG_BINARY, {}},
    };
    for (const Case& c : cases) Put("S", c.name, c.type, c.data);
    EXPECT_EQ(ValueCount("S"), 5u);
    for (const Case& c : cases) ExpectValue("S", c.name, c.type, c.data);
}

TEST_F(RegistrySemantics, QueryInfoCountsValues) {
    PutDword("S", "One", 1);
    PutDword("S", "Two", 2);
    PutDword("S", "one", 3);  // same name: replaces
    EXPECT_EQ(ValueCount("S"), 2u);
    EXPECT_EQ(ValueCount("Missing"), 0u);
}

// UTF-16 value names and data, as the W functions take them on both builds.
std::u16string Units(const char16_t* text) { return text; }
std::vector<uint8_t> UnitBytes(const std::u16string& units) {
    std::vector<uint8_t> bytes;
    for (const char16_t u : units) {
        bytes.push_back(static_cast<uint8_t>(u));
        bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
    return bytes;
}
const WCHAR* W(const std::u16string& units) {
    return reinterpret_cast<const WCHAR*>(units.c_str());
}

TEST_F(RegistrySemantics, WideStringsKeepEveryUnitAndCountBytes) {
    UniqueRegKey key;
    ASSERT_TRUE(CreateRegistryKey(key, HKEY_CURRENT_USER, Path("S").c_str(), 0x2001F));
    // e acute, an emoji as a surrogate pair, a lone surrogate, then the NUL.
    const std::vector<uint8_t> wide =
        UnitBytes(std::u16string(u"a\u00E9\U0001F600") + u'\xD800' + u'\0');
    ASSERT_EQ(wide.size(), 12u);
    ASSERT_EQ(RegSetValueExW(key.Get(), W(u"Wide"), 0, REG_SZ, wide.data(),
                             static_cast<DWORD>(wide.size())),
              ERROR_SUCCESS);
    DWORD size = 0;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExW(key.Get(), W(u"wIDE"), nullptr, &type, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    std::vector<uint8_t> buffer(32, '#');
    size = 10;
    EXPECT_EQ(RegQueryValueExW(key.Get(), W(u"Wide"), nullptr, nullptr, buffer.data(), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(buffer, std::vector<uint8_t>(32, '#')) << "a short buffer is left untouched";
    size = static_cast<DWORD>(buffer.size());
    EXPECT_EQ(RegQueryValueExW(key.Get(), W(u"Wide"), nullptr, nullptr, buffer.data(), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + size), wide);
    EXPECT_EQ(RegQueryValueExW(key.Get(), W(u"Missing"), nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);

    // Stored without its NUL (6 bytes of "xyzX": the unit after them is no NUL, which
    // Windows and Wine would count in): one is added when there is room.
    const std::vector<uint8_t> noNul = UnitBytes(u"xyzX");
    ASSERT_EQ(RegSetValueExW(key.Get(), W(u"NoNul"), 0, REG_SZ, noNul.data(), 6), ERROR_SUCCESS);
    std::fill(buffer.begin(), buffer.end(), '#');
    size = static_cast<DWORD>(buffer.size());
    EXPECT_EQ(RegQueryValueExW(key.Get(), W(u"NoNul"), nullptr, nullptr, buffer.data(), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 9),
              (std::vector<uint8_t>{'x', 0, 'y', 0, 'z', 0, 0, 0, '#'}));

    // A string written by one width reads in the other converted (here: ASCII).
    PutString("S", "Narrow", "abc");
    size = static_cast<DWORD>(buffer.size());
    EXPECT_EQ(RegQueryValueExW(key.Get(), W(u"Narrow"), nullptr, nullptr, buffer.data(), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + size),
              UnitBytes(Units(u"abc") + u'\0'));
    const std::vector<uint8_t> ascii = UnitBytes(Units(u"Wi") + u'\0');
    ASSERT_EQ(RegSetValueExW(key.Get(), W(u"Ascii"), 0, REG_SZ, ascii.data(), 6), ERROR_SUCCESS);
    ExpectValue("S", "Ascii", REG_SZ, Bytes("Wi"));
    // Other types are bytes to both widths.
    PutDword("S", "Dword", 0x00420041);
    size = static_cast<DWORD>(buffer.size());
    EXPECT_EQ(RegQueryValueExW(key.Get(), W(u"Dword"), nullptr, &type, buffer.data(), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + size), DwordBytes(0x00420041));
}

TEST_F(RegistrySemantics, EnumerationListsEveryNameOnce) {
    PutDword("S", "Pos[0][0]", 1);
    PutString("S", "Name[0][0]", "x");
    PutDword("S", "PathCheck[0]", 2);
    PutDword("S", "pathcheck[0]", 3);  // the same value
    UniqueRegKey key;
    ASSERT_TRUE(CreateRegistryKey(key, HKEY_CURRENT_USER, Path("S").c_str(), KEY_READ));
    std::vector<std::string> names;
    char name[16];
    DWORD index = 0;
    for (;; ++index) {
        DWORD length = sizeof name;
        const LONG rc =
            RegEnumValueA(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(rc, ERROR_SUCCESS);
        EXPECT_EQ(length, std::strlen(name));
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Name[0][0]", "PathCheck[0]", "Pos[0][0]"}));
    DWORD length = 12;  // "PathCheck[0]" needs 13 with its NUL
    bool tooShort = false;
    for (DWORD k = 0; k < index; ++k) {
        length = 12;
        const LONG rc =
            RegEnumValueA(key.Get(), k, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) tooShort = true;
    }
    EXPECT_TRUE(tooShort) << "a name that does not fit is refused";
}

TEST(ProfileFileSemantics, ReadsWritesAndCutsLongValues) {
    const std::string file = ProfilePath("torvinel_semantics.ini");
    WritePrivateProfileStringA("Sec", nullptr, nullptr, file.c_str());
    ASSERT_TRUE(WritePrivateProfileStringA("Sec", "Neg", "-42", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Sec", "Text", "hello", file.c_str()));
    ASSERT_TRUE(
        WritePrivateProfileStringA("Sec", "Long", std::string(300, 'y').c_str(), file.c_str()));

    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("Sec", "Neg", 7, file.c_str())), -42);
    EXPECT_EQ(GetPrivateProfileIntA("Sec", "Missing", 7, file.c_str()), 7u);
    EXPECT_EQ(GetPrivateProfileIntA("sec", "text", 7, file.c_str()), 0u);
    char buffer[256];
    EXPECT_EQ(GetPrivateProfileStringA("Sec", "Text", "d", buffer, 255, file.c_str()), 5u);
    EXPECT_STREQ(buffer, "hello");
    EXPECT_EQ(GetPrivateProfileStringA("Sec", "Missing", "dflt", buffer, 255, file.c_str()), 4u);
    EXPECT_STREQ(buffer, "dflt");
    EXPECT_EQ(GetPrivateProfileStringA("Sec", "Long", "", buffer, 255, file.c_str()), 254u);
    EXPECT_EQ(std::string(buffer), std::string(254, 'y'));
    WritePrivateProfileStringA("Sec", nullptr, nullptr, file.c_str());
#ifdef _WIN32
    DeleteFileA(file.c_str());
#endif
}

}  // namespace

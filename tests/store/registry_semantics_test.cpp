// The registry and profile-file behaviour the profile store relies on, checked with the
// raw Win32 calls: natively against our stand-in, under Wine against the real thing.
#include <cstring>

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

// Tests of CProfileStore: registry mode against the stand-in (natively) and the real
// registry (under Wine), one-section-at-a-time key opens, odd stored data, and
// profile-file mode.
#include <cstring>

#include "store/profile_store.h"
#include "tests/store/registry_fixture.h"

namespace {

using ProfileStoreRegistry = RegistryTest;

TEST_F(ProfileStoreRegistry, MissingEntriesGiveDefaultsAndCreateTheKeys) {
    CProfileStore profile;
    ASSERT_EQ(profile.Open(HKEY_CURRENT_USER, m_key.c_str(), nullptr), 1);
    bool present = true;
    EXPECT_EQ(profile.GetInt("Sec", "Missing", -7, &present), -7);
    EXPECT_FALSE(present);
    EXPECT_EQ(profile.GetString("Sec", "Missing", "dflt", &present), "dflt");
    EXPECT_FALSE(present);
    EXPECT_EQ(profile.GetString("Sec", "Missing", nullptr), "");
    EXPECT_TRUE(KeyExists("")) << "reading creates the base key";
    EXPECT_TRUE(KeyExists("Sec")) << "and the section subkey";
    profile.Close();
}

TEST_F(ProfileStoreRegistry, WritesRegSzWithNulAndRegDword) {
    {
        CProfileStore profile;
        ASSERT_EQ(profile.Open(HKEY_CURRENT_USER, m_key.c_str(), nullptr), 1);
        EXPECT_EQ(profile.WriteString("Sec", "Empty", ""), 1);
        EXPECT_EQ(profile.WriteString("Sec", "Text", "Notes"), 1);
        EXPECT_EQ(profile.WriteInt("Sec", "Minus", -1), 1);
        EXPECT_EQ(profile.WriteInt("Sec", "Pos", 0x000AFFFB), 1);
        EXPECT_EQ(profile.GetInt("Sec", "Minus", 0), -1);
        EXPECT_EQ(profile.GetString("Sec", "Text", nullptr), "Notes");
    }  // destruction closes
    struct Case {
        const char* name;
        DWORD type;
        std::vector<uint8_t> data;
    };
    const Case cases[] = {
        {"Empty", REG_SZ, {0}},
        {"Text", REG_SZ, Bytes("Notes")},
        {"Minus", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"Pos", REG_DWORD, {0xFB, 0xFF, 0x0A, 0x00}},
    };
    for (const Case& c : cases) ExpectValue("Sec", c.name, c.type, c.data);
}

TEST_F(ProfileStoreRegistry, GetIntReadsAnyTypeButNeverPastItsData) {
    // Shorter data is zero-extended; longer data gives the default.
    struct Case {
        const char* name;
        DWORD type;
        std::vector<uint8_t> data;
        int32_t expected;
    };
    const Case cases[] = {
        {"Dword", REG_DWORD, DwordBytes(0x80000000u), INT32_MIN},
        {"ShortString", REG_SZ, Bytes("ab"), 0x6261},
        {"FourBytes", REG_SZ, Bytes("abc"), 0x00636261},
        {"LongString", REG_SZ, Bytes("abcd"), -99},
        {"OneByte", REG_BINARY, {0x7F}, 0x7F},
        {"ThreeBytes", REG_BINARY, {1, 2, 3}, 0x030201},
        {"NoBytes", REG_BINARY, {}, 0},
        {"Qword", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, -99},
    };
    for (const Case& c : cases) Put("Sec", c.name, c.type, c.data);
    CProfileStore profile;
    ASSERT_EQ(profile.Open(HKEY_CURRENT_USER, m_key.c_str(), nullptr), 1);
    for (const Case& c : cases) {
        bool present = false;
        EXPECT_EQ(profile.GetInt("Sec", c.name, -99, &present), c.expected) << c.name;
        EXPECT_TRUE(present) << c.name;
    }
}

TEST_F(ProfileStoreRegistry, GetStringReadsWholeValuesOfAnyLength) {
    struct Case {
        const char* name;
        DWORD type;
        std::vector<uint8_t> data;
        std::string expected;
    };
    const std::string t255(255, 'a'), t256(256, 'b'), t300(300, 'c'), t70k(70000, 'd');
    const char noNul[] = "abcX";
    const Case cases[] = {
        {"Plain", REG_SZ, Bytes("Work"), "Work"},
        {"Empty", REG_SZ, Bytes(""), ""},
        {"Max255", REG_SZ, Bytes(t255), t255},
        {"Over256", REG_SZ, Bytes(t256), t256},
        {"Over300", REG_SZ, Bytes(t300), t300},
        {"Huge", REG_SZ, Bytes(t70k), t70k},
        {"Japanese", REG_SZ, Bytes("\x83\x5C\x83\x74\x83\x67"), "\x83\x5C\x83\x74\x83\x67"},
        {"NoNul", REG_SZ, {}, "abc"},  // written below
        {"Dword", REG_DWORD, DwordBytes(0x00004241), "AB"},
        {"Binary", REG_BINARY, {'x', 'y', 0, 'z'}, "xy"},
        {"BinaryNoNul", REG_BINARY, {'x', 'y'}, "xy"},
        {"LongBinary", REG_BINARY, std::vector<uint8_t>(400, 'q'), std::string(400, 'q')},
    };
    for (const Case& c : cases) {
        if (std::strcmp(c.name, "NoNul") == 0) {
            // Three bytes of "abcX": a REG_SZ stored without its NUL.
            UniqueRegKey key;
            ASSERT_TRUE(CreateRegistryKey(key, HKEY_CURRENT_USER, Path("Sec").c_str(), KEY_WRITE));
            ASSERT_EQ(RegSetValueExA(key.Get(), c.name, 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(noNul), 3),
                      ERROR_SUCCESS);
        } else {
            Put("Sec", c.name, c.type, c.data);
        }
    }
    CProfileStore profile;
    ASSERT_EQ(profile.Open(HKEY_CURRENT_USER, m_key.c_str(), nullptr), 1);
    for (const Case& c : cases) {
        bool present = false;
        EXPECT_EQ(profile.GetString("Sec", c.name, "dflt", &present), c.expected) << c.name;
        EXPECT_TRUE(present) << c.name;
    }
    // Written through the store, read back whole.
    EXPECT_EQ(profile.WriteString("Sec", "Round", t300.c_str()), 1);
    EXPECT_EQ(profile.GetString("Sec", "Round", nullptr), t300);
}

TEST_F(ProfileStoreRegistry, OneSectionOpenAtATime) {
#ifdef _WIN32
    GTEST_SKIP() << "key opens are counted by the native stand-in only";
#else
    PutDword("A", "x", 1);
    PutDword("A", "y", 2);
    PutDword("B", "x", 3);
    CProfileStore profile;
    ASSERT_EQ(profile.Open(HKEY_CURRENT_USER, m_key.c_str(), nullptr), 1);
    regstub::ClearLog();
    EXPECT_EQ(profile.GetInt("A", "x", 0), 1);
    EXPECT_EQ(profile.GetInt("A", "y", 0), 2);
    EXPECT_EQ(regstub::KeyOpenCount(), 1u) << "two reads from one section open it once";
    EXPECT_EQ(regstub::OpenHandleCount(), 2u) << "base key and one section";
    regstub::ClearLog();
    EXPECT_EQ(profile.GetInt("A", "x", 0), 1);
    EXPECT_EQ(profile.GetInt("B", "x", 0), 3);
    EXPECT_EQ(profile.GetInt("A", "y", 0), 2);
    EXPECT_EQ(regstub::KeyOpenCount(), 2u) << "A is still open; B and A again open twice";
    EXPECT_EQ(regstub::OpenHandleCount(), 2u);
    profile.Close();
    EXPECT_EQ(regstub::OpenHandleCount(), 0u);
    // Fresh object: A, B, A opens three subkeys (after the base key).
    CProfileStore fresh;
    ASSERT_EQ(fresh.Open(HKEY_CURRENT_USER, m_key.c_str(), nullptr), 1);
    regstub::ClearLog();
    fresh.GetInt("A", "x", 0);
    fresh.GetString("B", "x", nullptr);
    fresh.WriteInt("A", "z", 0);
    EXPECT_EQ(regstub::KeyOpenCount(), 3u);
#endif
}

TEST_F(ProfileStoreRegistry, SecondOpenFailsAndKeepsTheFirstKey) {
    CProfileStore profile;
    ASSERT_EQ(profile.Open(HKEY_CURRENT_USER, Path("First").c_str(), nullptr), 1);
    EXPECT_EQ(profile.WriteInt("Sec", "v", 1), 1);
    EXPECT_EQ(profile.Open(HKEY_CURRENT_USER, Path("Second").c_str(), nullptr), 0);
    EXPECT_EQ(profile.WriteInt("Sec", "w", 2), 1);
    EXPECT_FALSE(KeyExists("Second"));
    EXPECT_EQ(Get("First\\Sec", "w").data, DwordBytes(2));
    // After Close the object can be opened again.
    profile.Close();
    EXPECT_EQ(profile.Open(HKEY_CURRENT_USER, Path("Second").c_str(), nullptr), 1);
    EXPECT_EQ(profile.GetInt("Sec", "v", 0), 0);
}

TEST_F(ProfileStoreRegistry, WithoutAnOpenKeyReadsDefaultAndWritesFail) {
    CProfileStore never;
    EXPECT_EQ(never.GetInt("Sec", "v", 5), 5);
    EXPECT_EQ(never.GetString("Sec", "v", "d"), "d");
    EXPECT_EQ(never.WriteInt("Sec", "v", 1), 0);
    EXPECT_EQ(never.WriteString("Sec", "v", "x"), 0);
    EXPECT_EQ(never.SelectSection("Sec"), 0);
    CProfileStore failed;
    EXPECT_EQ(failed.Open(nullptr, m_key.c_str(), nullptr), 0) << "invalid root key";
    EXPECT_EQ(failed.WriteInt("Sec", "v", 1), 0);
    EXPECT_EQ(failed.GetInt("Sec", "v", 5), 5);
    EXPECT_FALSE(KeyExists(""));
}

TEST_F(ProfileStoreRegistry, WideStringsKeepEveryCharacter) {
    const std::wstring accent = L"C:\\Users\\caf\u00E9";
    const std::wstring emoji = L"::{\U0001F600}";
    const std::wstring kana = L"\u30BD\u30D5\u30C8";  // ソフト, also in CP932
    const std::wstring longText(3000, L'\u00E9');
    CProfileStore profile;
    ASSERT_EQ(profile.Open(HKEY_CURRENT_USER, m_key.c_str(), nullptr), 1);
    for (const auto& [name, text] : {std::pair{"Accent", accent},
                                     {"Emoji", emoji},
                                     {"Kana", kana},
                                     {"Long", longText},
                                     {"Empty", std::wstring()}})
        EXPECT_EQ(profile.WriteWideString("Sec", name, text), 1) << name;
    EXPECT_EQ(profile.WriteWideString("Sec", "Cut", std::wstring(L"ab\0cd", 5)), 1);
    for (const auto& [name, text] : {std::pair{"Accent", accent},
                                     {"Emoji", emoji},
                                     {"Kana", kana},
                                     {"Long", longText},
                                     {"Empty", std::wstring()},
                                     {"Cut", std::wstring(L"ab")}}) {
        bool present = false;
        EXPECT_EQ(profile.GetWideString("Sec", name, &present), text) << name;
        EXPECT_TRUE(present) << name;
    }
    bool present = true;
    EXPECT_EQ(profile.GetWideString("Sec", "Missing", &present), L"");
    EXPECT_FALSE(present);
    EXPECT_FALSE(profile.Failed());
    profile.Close();
    // Stored as REG_SZ in UTF-16 with its NUL, the emoji as a surrogate pair.
    ExpectWideValue("Sec", "Emoji", u"::{\U0001F600}");
    ExpectWideValue("Sec", "Cut", u"ab");
}

TEST_F(ProfileStoreRegistry, DeleteValueAndSelectExistingSectionCreateNothing) {
    PutDword("Sec", "Gone", 1);
    CProfileStore profile;
    ASSERT_EQ(profile.Open(HKEY_CURRENT_USER, m_key.c_str(), nullptr), 1);
    EXPECT_FALSE(profile.SelectExistingSection("Other"));
    EXPECT_FALSE(KeyExists("Other"));
    EXPECT_TRUE(profile.SelectExistingSection("Sec"));
    EXPECT_EQ(profile.DeleteValue("Sec", "Gone"), 1);
    EXPECT_EQ(profile.DeleteValue("Sec", "Gone"), 1) << "a value not there is gone too";
    EXPECT_FALSE(profile.Failed());
    profile.Close();
    EXPECT_EQ(Get("Sec", "Gone").rc, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ValueCount("Sec"), 0u);
}

TEST(ProfileStoreFile, ReadsAndWritesThroughTheProfileFile) {
    const std::string file = ProfilePath("torvinel_profile_store.ini");
    WritePrivateProfileStringA("Pos", nullptr, nullptr, file.c_str());
    CProfileStore profile;
    ASSERT_EQ(profile.Open(HKEY_CURRENT_USER, "unused", file.c_str()), 1);
    EXPECT_EQ(profile.SelectSection("Pos"), 1);
    profile.WriteInt("Pos", "Neg", -5);
    profile.WriteString("Pos", "Name", "Notes");
    profile.WriteString("Pos", "Long", std::string(300, 'z').c_str());
    EXPECT_EQ(profile.GetString("Pos", "Neg", nullptr), "-5");
    EXPECT_EQ(profile.GetInt("Pos", "Neg", 0), -5);
    EXPECT_EQ(profile.GetString("Pos", "Name", nullptr), "Notes");
    EXPECT_EQ(profile.GetString("Pos", "Missing", "dflt"), "dflt");
    EXPECT_EQ(profile.GetString("Pos", "Long", nullptr), std::string(254, 'z'));
    EXPECT_EQ(profile.GetInt("Pos", "Missing", 9), 9);
    profile.Close();
    // Back to registry mode with a null file name.
    EXPECT_EQ(profile.Open(HKEY_CURRENT_USER, "Software\\BRANOK Soft\\TorvinelTest\\File", nullptr),
              1);
    profile.Close();
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\BRANOK Soft\\TorvinelTest\\File");
    WritePrivateProfileStringA("Pos", nullptr, nullptr, file.c_str());
#ifdef _WIN32
    DeleteFileA(file.c_str());
#endif
}

}  // namespace

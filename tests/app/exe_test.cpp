// The built TORVINEL.EXE carries its version record (read back with the platform's
// version functions, as Explorer's property sheet does).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class VersionRecord : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeA(TORVINEL_EXE_PATH, &handle);
        ASSERT_GT(size, 0u);
        m_data.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(TORVINEL_EXE_PATH, 0, size, m_data.data()));
    }
    std::string String(const char* name) {
        const std::string path = std::string("\\StringFileInfo\\041104b0\\") + name;
        char* value = nullptr;
        UINT len = 0;
        if (!VerQueryValueA(m_data.data(), path.c_str(), reinterpret_cast<void**>(&value), &len))
            return "<absent>";
        return std::string(value, len > 0 ? len - 1 : 0);
    }
    std::vector<char> m_data;
};

TEST_F(VersionRecord, FixedVersionsAre1_0_3_0) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(m_data.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    ASSERT_GE(len, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00030000u);
}

TEST_F(VersionRecord, OneJapaneseStringTable) {
    WORD* translation = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(m_data.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &len));
    ASSERT_EQ(len, 4u);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 1200);

    // Texts in code page 932, as this file is compiled.
    EXPECT_EQ(String("FileVersion"), "1, 0, 3, 0");
    EXPECT_EQ(String("ProductVersion"), "1, 0, 3, 0");
    EXPECT_EQ(String("InternalName"), "TORVINEL");
    EXPECT_EQ(String("OriginalFilename"), "TORVINEL.EXE");
    EXPECT_EQ(String("ProductName"), "TORVINEL ｱﾌﾟﾘｹｰｼｮﾝ");
    EXPECT_EQ(String("FileDescription"), "TORVINEL MFC ｱﾌﾟﾘｹｰｼｮﾝ");
    EXPECT_NE(String("LegalCopyright").find("Copyright"), std::string::npos);
    for (const char* empty : {"CompanyName", "Comments", "LegalTrademarks"}) {
        const std::string value = String(empty);
        EXPECT_TRUE(value.empty() || value == "<absent>") << empty;
    }
}

}  // namespace

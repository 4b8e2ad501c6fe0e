// The built TORVINEL.EXE, both the test build and the stripped one unpacked from the release
// package: its version record (read back with the platform's version functions, as
// Explorer's property sheet does), its manifest (read by the system's activation context
// functions, as the loader reads it), and, for the packaged one, a start and a clean end.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "tools/driver/driver.h"
#include "win/unique_handle.h"

namespace {

class Exe : public ::testing::TestWithParam<const char*> {
protected:
    const char* Path() const { return GetParam(); }
};

class VersionRecord : public Exe {
protected:
    void SetUp() override {
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeA(Path(), &handle);
        ASSERT_GT(size, 0u) << Path();
        m_data.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(Path(), 0, size, m_data.data()));
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

TEST_P(VersionRecord, FixedVersionsAre1_0_3_0) {
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

TEST_P(VersionRecord, OneJapaneseStringTable) {
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

void Release(HANDLE context) { ReleaseActCtx(context); }
using UniqueActCtx = win::UniqueAny<win::ClosedBy<HANDLE, Release>>;

// The activation context the loader builds from the EXE's manifest (resource 1).
UniqueActCtx ContextOf(const char* exe) {
    ACTCTXA ctx = {};
    ctx.cbSize = sizeof ctx;
    ctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    ctx.lpSource = exe;
    ctx.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE h = CreateActCtxA(&ctx);
    return UniqueActCtx(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

std::wstring Setting(HANDLE context, const wchar_t* ns, const wchar_t* name) {
    wchar_t value[128] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, context, ns, name, value, std::size(value), &written))
        return L"<absent>";
    return value;
}

using Manifest = Exe;

// Per-monitor v2 DPI awareness where the system knows it, the older declarations as the
// fallback; a setting in a wrong namespace would be silently ignored by Windows.
TEST_P(Manifest, DeclaresPerMonitorDpiAwarenessWithFallbacks) {
    UniqueActCtx context = ContextOf(Path());
    ASSERT_TRUE(context) << "the manifest does not parse: " << GetLastError();
    EXPECT_EQ(Setting(context.Get(), L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                      L"dpiAwareness"),
              L"PerMonitorV2, PerMonitor");
    EXPECT_EQ(Setting(context.Get(), L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                      L"dpiAware"),
              L"true/pm");
}

// Common controls 6: within the EXE's context the standard controls are redirected to it.
TEST_P(Manifest, UsesCommonControls6) {
    UniqueActCtx context = ContextOf(Path());
    ASSERT_TRUE(context);
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context.Get(), &cookie));
    ACTCTX_SECTION_KEYED_DATA data = {};
    data.cbSize = sizeof data;
    const BOOL redirected = FindActCtxSectionStringW(
        0, nullptr, ACTIVATION_CONTEXT_SECTION_WINDOW_CLASS_REDIRECTION, L"Button", &data);
    DeactivateActCtx(0, cookie);
    EXPECT_TRUE(redirected);
}

INSTANTIATE_TEST_SUITE_P(TestBuild, VersionRecord, ::testing::Values(TORVINEL_EXE_PATH));
INSTANTIATE_TEST_SUITE_P(Packaged, VersionRecord, ::testing::Values(TORVINEL_PACKAGED_EXE_PATH));
INSTANTIATE_TEST_SUITE_P(TestBuild, Manifest, ::testing::Values(TORVINEL_EXE_PATH));
INSTANTIATE_TEST_SUITE_P(Packaged, Manifest, ::testing::Values(TORVINEL_PACKAGED_EXE_PATH));

std::wstring Wide(const char* ascii) { return std::wstring(ascii, ascii + std::strlen(ascii)); }

// The stripped EXE runs: its dialog shows, and closing it ends the program with exit code 0.
// It saves its empty store on the way out, so the saved layouts go before and after. (Its DPI
// awareness is checked on the manifest above: asked from another process, Wine 8 reports the
// dialog of a build without the declaration as per-monitor aware too.)
TEST(PackagedExe, StartsAndEndsCleanly) {
    const char* key = "Software\\BRANOK Soft\\TORVINEL";
    RegDeleteTreeA(HKEY_CURRENT_USER, key);
    driver::Process process = driver::Start(Wide(TORVINEL_PACKAGED_EXE_PATH));
    ASSERT_TRUE(process);
    HWND dialog = driver::WaitForDialog(process.id(), driver::kMainCaption, 10000);
    if (!dialog) process.Terminate();
    ASSERT_NE(dialog, nullptr);

    driver::PostClose(dialog);
    DWORD code = 1;
    const bool ended = process.WaitForExit(10000, &code);
    if (!ended) process.Terminate();
    EXPECT_TRUE(ended);
    EXPECT_EQ(code, 0u);
    RegDeleteTreeA(HKEY_CURRENT_USER, key);
}

}  // namespace

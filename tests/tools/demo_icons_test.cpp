// The test desktop's icons: kinds told from names in the list view's code page (932 under
// the tests), the demo desktop showing every kind, and one distinct image per kind.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tools/test_desktop/demo_icons.h"
#include "tools/test_desktop/items_file.h"
#include "win/unique_handle.h"

namespace {

using testdesk::IconKind;
using testdesk::IconKindOf;

std::string Utf8ToAnsi(const std::string& text) {
    const int wide = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, w.data(), wide);
    const int narrow = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string a(static_cast<size_t>(narrow), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, a.data(), narrow, nullptr, nullptr);
    a.resize(a.size() - 1);  // the terminating NUL
    return a;
}

TEST(DemoIcons, KindFromName) {
    ASSERT_EQ(GetACP(), 932u);
    const struct {
        const char* name;  // literals of this file are compiled as code page 932
        IconKind kind;
    } cases[] = {
        {"ごみ箱", IconKind::RecycleBin},
        {"マイ コンピュータ", IconKind::Computer},
        {"メモ帳", IconKind::Program},
        {"setup.EXE", IconKind::Program},
        {"桜の壁紙.bmp", IconKind::Picture},
        {"表.txt", IconKind::Document},  // 表 ends in byte 0x5C
        {"旅行の計画.doc", IconKind::Document},
        {"ソフト表", IconKind::Folder},
        {"backup.zip", IconKind::Folder},
        {".profile", IconKind::Folder},
        {"", IconKind::Folder},
    };
    for (const auto& c : cases) EXPECT_EQ(IconKindOf(c.name), c.kind) << c.name;
}

// The scripted demo's desktop (texts in UTF-8, shown in the ANSI code page) shows every
// kind, so its screenshots and GIF read as a desktop.
TEST(DemoIcons, DemoDesktopShowsEveryKind) {
    const std::vector<testdesk::TestItem> items = testdesk::ReadItemsFile(DEMO_ICONS_FILE);
    ASSERT_GE(items.size(), 30u);
    std::set<IconKind> kinds;
    for (const testdesk::TestItem& item : items) kinds.insert(IconKindOf(Utf8ToAnsi(item.text)));
    EXPECT_EQ(kinds.size(), static_cast<size_t>(IconKind::Count));
}

// A 32x32 32-bit surface to draw on, with its pixels.
class Surface {
public:
    Surface() : m_dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof info.bmiHeader, 32, -32, 1, 32, BI_RGB};
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        if (m_dc && m_bitmap) m_old = SelectObject(m_dc, m_bitmap);
    }
    ~Surface() {
        if (m_old) SelectObject(m_dc, m_old);
        if (m_bitmap) DeleteObject(m_bitmap);
        if (m_dc) DeleteDC(m_dc);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC dc() const { return m_dc; }
    bool ok() const { return m_old != nullptr && m_bits != nullptr; }
    std::vector<uint32_t> Pixels() const {
        GdiFlush();
        const auto* px = static_cast<const uint32_t*>(m_bits);
        return {px, px + 32 * 32};
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    void* m_bits = nullptr;
};

void DestroyImageList(HIMAGELIST list) { ImageList_Destroy(list); }

// Each kind has its own 32x32 image, and no two look alike when drawn.
TEST(DemoIcons, ImageListHoldsOneDistinctImagePerKind) {
    win::UniqueAny<win::ClosedBy<HIMAGELIST, DestroyImageList>> list(
        testdesk::CreateIconImageList());
    ASSERT_TRUE(list);
    const int count = static_cast<int>(IconKind::Count);
    EXPECT_EQ(ImageList_GetImageCount(list.Get()), count);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list.Get(), &cx, &cy);
    EXPECT_EQ(cx, 32);
    EXPECT_EQ(cy, 32);

    Surface surface;
    ASSERT_TRUE(surface.ok());
    std::set<std::vector<uint32_t>> drawn;
    for (int i = 0; i < count; ++i) {
        RECT all = {0, 0, 32, 32};
        FillRect(surface.dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        ASSERT_TRUE(ImageList_Draw(list.Get(), i, surface.dc(), 0, 0, ILD_NORMAL));
        std::vector<uint32_t> image = surface.Pixels();
        size_t shown = 0;
        for (uint32_t p : image) shown += (p & 0xFFFFFF) != 0;
        EXPECT_GT(shown, 150u) << "image " << i << " is (nearly) empty";
        drawn.insert(std::move(image));
    }
    EXPECT_EQ(drawn.size(), static_cast<size_t>(count));
}

}  // namespace

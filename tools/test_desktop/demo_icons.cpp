// The test desktop's icons: each kind is drawn as 32x32 pixel art (like tools/make_icon.py
// draws the program's icon) into an image list with a mask, and items get their kind from
// their names.
#include "tools/test_desktop/demo_icons.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "win/unique_handle.h"

namespace testdesk {
namespace {

constexpr int kSize = 32;
constexpr uint32_t kClear = 0;  // transparent: masked out

// Colours as 0xAARRGGBB (the byte order of a 32-bit DIB); opaque.
constexpr uint32_t Rgb(uint32_t rgb) { return 0xFF000000u | rgb; }

class Canvas {
public:
    Canvas() { m_px.fill(kClear); }
    void Set(int x, int y, uint32_t c) {
        if (x >= 0 && x < kSize && y >= 0 && y < kSize) m_px[y * kSize + x] = c;
    }
    // Filled rectangle, corners inclusive.
    void Fill(int x0, int y0, int x1, int y1, uint32_t c) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) Set(x, y, c);
    }
    // Filled rectangle with a one-pixel outline.
    void Box(int x0, int y0, int x1, int y1, uint32_t fill, uint32_t outline) {
        Fill(x0, y0, x1, y1, outline);
        Fill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, fill);
    }
    void Disc(int cx, int cy, int r, uint32_t c) {
        for (int y = cy - r; y <= cy + r; ++y)
            for (int x = cx - r; x <= cx + r; ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r + r) Set(x, y, c);
    }
    const uint32_t* Pixels() const { return m_px.data(); }
    bool IsClear(int x, int y) const { return m_px[y * kSize + x] == kClear; }

private:
    std::array<uint32_t, kSize * kSize> m_px;
};

void DrawFolder(Canvas& c) {
    const uint32_t outline = Rgb(0x8C6A12);
    c.Box(2, 5, 13, 10, Rgb(0xE0A82A), outline);   // tab
    c.Box(2, 8, 29, 27, Rgb(0xE8B830), outline);   // back
    c.Box(2, 12, 29, 27, Rgb(0xFFD75E), outline);  // front
    c.Fill(3, 13, 28, 13, Rgb(0xFFEBA0));          // its lit edge
}

void DrawDocument(Canvas& c) {
    const uint32_t outline = Rgb(0x606060);
    c.Box(6, 2, 25, 29, Rgb(0xFFFFFF), outline);
    // The folded corner: cut the page's top right, draw the fold beneath the cut.
    constexpr int kFold = 6;
    for (int i = 0; i < kFold; ++i) {
        for (int x = 25 - kFold + 1 + i; x <= 25; ++x) c.Set(x, 2 + i, kClear);
        c.Set(25 - kFold + 1 + i, 2 + i, outline);
        c.Fill(25 - kFold + 1, 2 + i, 25 - kFold + i, 2 + i, Rgb(0xD0D0D0));
    }
    c.Fill(25 - kFold + 1, 2 + kFold, 25, 2 + kFold, outline);
    c.Fill(25 - kFold + 1, 2, 25 - kFold + 1, 2 + kFold, outline);
    for (int y = 10; y <= 25; y += 3) c.Fill(10, y, y == 25 ? 17 : 21, y, Rgb(0x3060C0));
}

void DrawPicture(Canvas& c) {
    c.Box(2, 5, 29, 26, Rgb(0xA0522D), Rgb(0x5A2E0E));  // frame
    c.Fill(5, 8, 26, 23, Rgb(0x87CEEB));                // sky
    c.Disc(21, 12, 3, Rgb(0xFFD23F));                   // sun
    // Two hills, the far one darker.
    for (int x = 5; x <= 26; ++x) {
        const int back = 15 + std::abs(x - 11) / 2;
        const int front = 18 + std::abs(x - 20) / 3;
        c.Fill(x, std::min(back, 23), x, 23, Rgb(0x2E7D32));
        c.Fill(x, std::min(front, 23), x, 23, Rgb(0x4CAF50));
    }
}

void DrawProgram(Canvas& c) {
    c.Box(3, 4, 28, 27, Rgb(0xF0F0F0), Rgb(0x303030));  // window
    c.Fill(4, 5, 27, 9, Rgb(0x2A5BD7));                 // title bar
    c.Fill(4, 10, 27, 10, Rgb(0x303030));
    c.Box(23, 6, 26, 8, Rgb(0xE0E0E0), Rgb(0x102060));  // close box
    // Its content: three coloured tiles and a line of text.
    c.Box(6, 13, 11, 18, Rgb(0xE53935), Rgb(0x7F1D1D));
    c.Box(13, 13, 18, 18, Rgb(0x43A047), Rgb(0x1B5E20));
    c.Box(20, 13, 25, 18, Rgb(0x1E88E5), Rgb(0x0D3C7A));
    c.Fill(6, 22, 22, 23, Rgb(0x9E9E9E));
}

void DrawRecycleBin(Canvas& c) {
    const uint32_t outline = Rgb(0x455A64);
    c.Box(13, 3, 18, 6, Rgb(0xB0BEC5), outline);  // handle
    c.Box(6, 6, 25, 9, Rgb(0xB0BEC5), outline);   // lid
    for (int y = 10; y <= 28; ++y) {              // body, narrowing downwards
        const int inset = (y - 10) / 6;
        const int x0 = 8 + inset, x1 = 23 - inset;
        c.Fill(x0, y, x1, y, y == 28 ? outline : Rgb(0xCFD8DC));
        c.Set(x0, y, outline);
        c.Set(x1, y, outline);
    }
    for (int x : {12, 16, 19}) c.Fill(x, 12, x, 25, Rgb(0x78909C));  // ribs
}

void DrawComputer(Canvas& c) {
    const uint32_t outline = Rgb(0x404040);
    c.Box(3, 3, 28, 21, Rgb(0xC8C8C8), outline);  // monitor
    c.Box(5, 5, 26, 19, Rgb(0x008080), outline);  // screen
    c.Fill(6, 6, 25, 7, Rgb(0x20A0A0));           // its sheen
    c.Box(13, 21, 18, 25, Rgb(0xA0A0A0), outline);
    c.Box(8, 25, 23, 28, Rgb(0xC8C8C8), outline);  // base
}

void DeleteBitmap(HBITMAP bitmap) { DeleteObject(bitmap); }
using UniqueBitmap = win::UniqueAny<win::ClosedBy<HBITMAP, DeleteBitmap>>;

// Adds one image: a 32-bit colour bitmap (alpha 0 where clear, black there too, so
// drawing through the mask and alpha blending agree) and its monochrome mask.
bool AddImage(HIMAGELIST list, const Canvas& canvas) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kSize;
    info.bmiHeader.biHeight = -kSize;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap color(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!color || !bits) return false;
    std::memcpy(bits, canvas.Pixels(), kSize * kSize * sizeof(uint32_t));

    // Monochrome rows are padded to 16 bits: 32 pixels are 4 bytes, set where clear.
    std::array<uint8_t, kSize* kSize / 8> mask = {};
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (canvas.IsClear(x, y)) mask[y * kSize / 8 + x / 8] |= 0x80 >> (x % 8);
    UniqueBitmap monochrome(CreateBitmap(kSize, kSize, 1, 1, mask.data()));
    if (!monochrome) return false;
    GdiFlush();
    return ImageList_Add(list, color.Get(), monochrome.Get()) >= 0;
}

bool IsOneOf(const std::string& text, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* name) { return text == name; });
}

// Extensions are ASCII: compared without regard to case.
bool IsExtensionOneOf(const std::string& ext, std::initializer_list<const char*> exts) {
    std::string lower = ext;
    for (char& ch : lower)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return IsOneOf(lower, exts);
}

}  // namespace

IconKind IconKindOf(const std::string& ansiName) {
    // Well-known desktop items (their Japanese names are compiled as code page 932, the
    // list view's code page under the tests' and the demo's locale).
    if (IsOneOf(ansiName, {"ごみ箱", "Recycle Bin"})) return IconKind::RecycleBin;
    if (IsOneOf(ansiName, {"マイ コンピュータ", "My Computer", "ネットワーク", "Network"}))
        return IconKind::Computer;
    if (IsOneOf(ansiName,
                {"Internet Explorer", "メモ帳", "電卓", "ペイント", "Mail", "時計", "カレンダー"}))
        return IconKind::Program;

    // The extension: a '.' is never the trail byte of a double-byte character.
    const size_t dot = ansiName.rfind('.');
    if (dot == std::string::npos || dot == 0) return IconKind::Folder;
    const std::string ext = ansiName.substr(dot + 1);
    if (IsExtensionOneOf(ext, {"exe", "com", "bat", "lnk", "msi"})) return IconKind::Program;
    if (IsExtensionOneOf(ext, {"bmp", "jpg", "jpeg", "png", "gif", "ico"}))
        return IconKind::Picture;
    if (IsExtensionOneOf(ext, {"txt", "doc", "docx", "xls", "xlsx", "ppt", "pptx", "pdf", "rtf",
                               "csv", "htm", "html", "ini", "log"}))
        return IconKind::Document;
    return IconKind::Folder;  // compressed folders (zip, lzh) and the rest
}

HIMAGELIST CreateIconImageList() {
    using Draw = void (*)(Canvas&);
    static constexpr Draw kDraws[] = {DrawFolder,  DrawDocument,   DrawPicture,
                                      DrawProgram, DrawRecycleBin, DrawComputer};
    static_assert(std::size(kDraws) == static_cast<size_t>(IconKind::Count));
    HIMAGELIST list = ImageList_Create(kSize, kSize, ILC_COLOR32 | ILC_MASK,
                                       static_cast<int>(std::size(kDraws)), 0);
    if (!list) return nullptr;
    for (Draw draw : kDraws) {
        Canvas canvas;
        draw(canvas);
        if (!AddImage(list, canvas)) {  // a missing image would shift the kinds after it
            ImageList_Destroy(list);
            return nullptr;
        }
    }
    return list;
}

}  // namespace testdesk

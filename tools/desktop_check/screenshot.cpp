// GDI screenshots (see screenshot.h): the screen copied into a DIB section, whose rows
// are already in the BMP's order, and written behind the two BMP headers.
#include "tools/desktop_check/screenshot.h"

#include <windows.h>

#include <cstdio>

#include "win/unique_handle.h"

namespace check {

namespace {
std::string g_folder;
int g_next = 1;

void ReleaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }
void DeleteDcHandle(HDC dc) { DeleteDC(dc); }
void DeleteBitmap(HBITMAP bitmap) { DeleteObject(bitmap); }
using ScreenDc = win::UniqueAny<win::ClosedBy<HDC, ReleaseScreenDc>>;
using MemoryDc = win::UniqueAny<win::ClosedBy<HDC, DeleteDcHandle>>;
using Bitmap = win::UniqueAny<win::ClosedBy<HBITMAP, DeleteBitmap>>;
}  // namespace

void SetScreenshotFolder(const std::string& folder) {
    g_folder = folder;
    if (!folder.empty()) CreateDirectoryA(folder.c_str(), nullptr);
}

std::string TakeScreenshot(const std::string& name) {
    if (g_folder.empty()) return "";
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0) return "";

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up, as a BMP file stores its rows
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    info.biSizeImage = stride * static_cast<DWORD>(height);

    const ScreenDc screen(GetDC(nullptr));
    if (!screen) return "";
    const MemoryDc memory(CreateCompatibleDC(screen.Get()));
    void* bits = nullptr;
    const Bitmap bitmap(CreateDIBSection(screen.Get(), reinterpret_cast<BITMAPINFO*>(&info),
                                         DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || !bits) return "";
    HGDIOBJ old = SelectObject(memory.Get(), bitmap.Get());
    const BOOL copied =
        BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), left, top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    SelectObject(memory.Get(), old);
    if (!copied) return "";

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    char number[8];
    std::snprintf(number, sizeof number, "%02d-", g_next++);
    std::string fileName = number + name;
    for (char& c : fileName)
        if (c == ' ') c = '-';
    const std::string path = g_folder + "\\" + fileName + ".bmp";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return "";
    const bool written = std::fwrite(&file, sizeof file, 1, f) == 1 &&
                         std::fwrite(&info, sizeof info, 1, f) == 1 &&
                         std::fwrite(bits, info.biSizeImage, 1, f) == 1;
    return std::fclose(f) == 0 && written ? path : "";
}

}  // namespace check

// The paint pass of a window as one owned object: BeginPaint in the constructor,
// EndPaint on every way out, so the paint DC goes back even when drawing stops early.
#pragma once

#include <windows.h>

namespace win {

class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : m_hWnd(hwnd), m_hDC(BeginPaint(hwnd, &m_ps)) {}
    ~PaintDC() { EndPaint(m_hWnd, &m_ps); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC dc() const { return m_hDC; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};
    HDC m_hDC;
};

}  // namespace win

// Text between a code page (the ANSI one by default) and UTF-16, for the test desktop's
// names: the list view holds them in the ANSI code page, the shell in wide characters.
#pragma once

#include <windows.h>

#include <string>

namespace testdesk {

// Empty for empty or unconvertible text.
inline std::wstring ToWide(const std::string& text, UINT codePage = CP_ACP) {
    const int n = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 1) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n) - 1);
    return wide;
}

inline std::string FromWide(const std::wstring& wide, UINT codePage = CP_ACP) {
    const int n = WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide.c_str(), -1, &text[0], n, nullptr, nullptr);
    text.resize(static_cast<size_t>(n) - 1);
    return text;
}

}  // namespace testdesk

// Wide text to and from UTF-16 code units; see wide_text.h.
#include "store/wide_text.h"

#include <cstdint>

std::u16string ToUtf16(const std::wstring& text) {
    std::u16string units;
    units.reserve(text.size());
    for (const wchar_t c : text) {
        const auto code = static_cast<uint32_t>(c);
        if (sizeof(wchar_t) == 2 || code < 0x10000) {
            units.push_back(static_cast<char16_t>(code));
        } else if (code <= 0x10FFFF) {
            units.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            units.push_back(u'\xFFFD');  // no character at all: never in a wide string of Windows
        }
    }
    return units;
}

std::wstring FromUtf16(const char16_t* units, size_t count) {
    std::wstring text;
    text.reserve(count);
    for (size_t k = 0; k < count; ++k) {
        const uint32_t unit = units[k];
        if (sizeof(wchar_t) > 2 && unit >= 0xD800 && unit < 0xDC00 && k + 1 < count &&
            units[k + 1] >= 0xDC00 && units[k + 1] < 0xE000) {
            const uint32_t low = units[++k];
            text.push_back(
                static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
        } else {
            text.push_back(static_cast<wchar_t>(unit));
        }
    }
    return text;
}

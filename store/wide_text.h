// Wide text as the registry stores it: UTF-16 code units. On Windows a std::wstring is
// already that; natively (32-bit wchar_t) a character above U+FFFF becomes a surrogate
// pair and back, so both builds store and check the same units.
#pragma once

#include <cstddef>
#include <string>

std::u16string ToUtf16(const std::wstring& text);
// Natively a high surrogate followed by a low one joins into one character; any other
// unit, a lone surrogate included, stays a character of its own.
std::wstring FromUtf16(const char16_t* units, size_t count);

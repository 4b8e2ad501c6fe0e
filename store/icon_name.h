// How icon names compare: ignoring the case of ASCII letters that are characters of
// their own. A name is walked from its first byte in the system's ANSI code page; a
// lead byte and the byte after it are one character and compare unchanged (a trail
// byte may lie in 'A'..'Z': 予算 is 97 5C 8E 5A, 予斯 97 5C 8E 7A), as does a lead byte
// at the very end. Only single-byte 'A'..'Z' fold.
#pragma once

#include <string>

// Whether b leads a double-byte character in the system's ANSI code page: Windows' own
// answer (IsDBCSLeadByte), natively that of code page 932, the one the tests run in.
bool IsAnsiLeadByte(unsigned char b);

// The name with every single-byte ASCII letter folded to lower case: two names are
// equal as icon names when their folded forms are equal. Null gives "".
std::string FoldIconName(const char* name);

// Icon name folding; see icon_name.h.
#include "store/icon_name.h"

#ifdef _WIN32
#include <windows.h>
#endif

bool IsAnsiLeadByte(unsigned char b) {
#ifdef _WIN32
    return IsDBCSLeadByte(b) != FALSE;
#else
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
#endif
}

std::string FoldIconName(const char* name) {
    std::string folded = name ? name : "";
    for (size_t k = 0; k < folded.size(); ++k) {
        const auto c = static_cast<unsigned char>(folded[k]);
        if (IsAnsiLeadByte(c)) {
            ++k;  // its trail byte, whatever it is
        } else if (c >= 'A' && c <= 'Z') {
            folded[k] = static_cast<char>(c + ('a' - 'A'));
        }
    }
    return folded;
}

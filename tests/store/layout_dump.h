// Every counted layout of a store as one comparable text, for tests of saving and
// loading. An icon's path, when it has one, follows its name in braces, each character
// outside printable ASCII as \u{hex}.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>

#include "store/layout_store.h"

inline std::string PathText(const std::wstring& path) {
    std::ostringstream out;
    for (const wchar_t c : path) {
        const auto code = static_cast<uint32_t>(c);
        if (code >= 0x20 && code < 0x7F)
            out << static_cast<char>(code);
        else
            out << "\\u{" << std::hex << code << std::dec << "}";
    }
    return out.str();
}

inline std::string Dump(const CLayoutStore& store) {
    std::ostringstream out;
    out << store.GetCount() << " layouts\n";
    for (int i = 0; i < store.GetCount(); ++i) {
        out << i << " [" << store.GetTitle(i) << "] " << store.GetIconCount(i) << ":";
        for (int j = 0; j < store.GetIconCount(i); ++j) {
            out << " " << std::hex << store.GetPackedPos(i, j) << std::dec << "="
                << store.GetIconName(i, j);
            const std::wstring path = store.GetIconPath(i, j);
            if (!path.empty()) out << "{" << PathText(path) << "}";
        }
        out << "\n";
    }
    return out.str();
}

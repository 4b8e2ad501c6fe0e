// Every counted layout of a store as one comparable text, for tests of saving and
// loading.
#pragma once

#include <sstream>
#include <string>

#include "store/layout_store.h"

inline std::string Dump(const CLayoutStore& store) {
    std::ostringstream out;
    out << store.GetCount() << " layouts\n";
    for (int i = 0; i < store.GetCount(); ++i) {
        out << i << " [" << store.GetTitle(i) << "] " << store.GetIconCount(i) << ":";
        for (int j = 0; j < store.GetIconCount(i); ++j) {
            out << " " << std::hex << store.GetPackedPos(i, j) << std::dec << "="
                << store.GetIconName(i, j);
        }
        out << "\n";
    }
    return out.str();
}

// Case folding of registry and profile-file names in the native stand-in: names
// compare ignoring ASCII letter case, as Windows does for the texts we use.
#pragma once

#include <string>

namespace regstub {

inline std::string FoldName(const char* name) {
    std::string folded = name ? name : "";
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

}  // namespace regstub

// The path index of one restore; see path_pairing.h.
#include "desktop/restore/path_pairing.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include "store/layout_store.h"

namespace restore {

std::wstring FoldPath(const std::wstring& path) {
    std::wstring folded = path;
#ifdef _WIN32
    if (!folded.empty()) CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
#else
    for (wchar_t& c : folded)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
#endif
    return folded;
}

PathPairing::PathPairing(const CLayoutStore& store, int layout) {
    const int count = store.GetIconCount(layout);
    m_taken.assign(static_cast<size_t>(count > 0 ? count : 0), false);
    for (int j = 0; j < count; ++j) {
        const std::wstring path = store.GetIconPath(layout, j);
        if (!path.empty()) m_byPath[FoldPath(path)].indices.push_back(j);
    }
}

int PathPairing::Take(const std::wstring& path) {
    if (path.empty()) return -1;
    const auto found = m_byPath.find(FoldPath(path));
    if (found == m_byPath.end()) return -1;
    Icons& icons = found->second;
    if (icons.next >= icons.indices.size()) return -1;
    const int j = icons.indices[icons.next++];
    m_taken[static_cast<size_t>(j)] = true;
    return j;
}

}  // namespace restore

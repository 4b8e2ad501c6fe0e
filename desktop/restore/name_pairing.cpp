// The name index of one restore; see name_pairing.h.
#include "desktop/restore/name_pairing.h"

#include "store/icon_name.h"
#include "store/layout_store.h"

namespace restore {

NamePairing::NamePairing(const CLayoutStore& store, int layout, const std::vector<bool>& taken) {
    const int count = store.GetIconCount(layout);
    m_byName.reserve(static_cast<size_t>(count > 0 ? count : 0));
    for (int j = 0; j < count; ++j) {
        if (static_cast<size_t>(j) < taken.size() && taken[static_cast<size_t>(j)]) continue;
        m_byName[FoldIconName(store.GetIconName(layout, j))].indices.push_back(j);
    }
}

int NamePairing::Take(const std::string& text) {
    const auto found = m_byName.find(FoldIconName(text.c_str()));
    if (found == m_byName.end()) return -1;
    Icons& icons = found->second;
    if (icons.next >= icons.indices.size()) return -1;
    return icons.indices[icons.next++];
}

}  // namespace restore

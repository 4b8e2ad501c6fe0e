// The view object's items paired with list-view items; see view_pairing.h.
#include "desktop/restore/view_pairing.h"

#include <utility>

namespace restore {

void ViewPairing::Add(bool hasId, std::string name) {
    const int v = static_cast<int>(m_names.size());
    if (hasId) {
        const auto added = m_byName.emplace(name, v);
        if (!added.second) added.first->second = kNoItem;
    } else {
        name.clear();
    }
    m_names.push_back(std::move(name));
    m_hasId.push_back(hasId);
}

// Whether the view's item carries the text the restore read.
bool ViewPairing::SameIcon(const std::string& viewName, const std::string& readText) const {
    if (readText.empty()) return viewName.empty();
    if (MayBeCut(readText)) return viewName.compare(0, readText.size(), readText) == 0;
    return viewName == readText;
}

int ViewPairing::Pair(int index, const std::string& text) const {
    const size_t at = static_cast<size_t>(index);
    if (index >= 0 && at < m_names.size() && m_hasId[at] && SameIcon(m_names[at], text))
        return index;
    if (!MayBeCut(text)) {
        const auto it = m_byName.find(text);
        return it == m_byName.end() ? kNoItem : it->second;
    }
    int found = kNoItem;
    for (size_t v = 0; v < m_names.size(); ++v) {
        if (!m_hasId[v] || !SameIcon(m_names[v], text)) continue;
        if (found != kNoItem) return kNoItem;
        found = static_cast<int>(v);
    }
    return found;
}

std::vector<int> ViewPairing::Named(const std::string& text) const {
    std::vector<int> named;
    for (size_t v = 0; v < m_names.size(); ++v)
        if (m_hasId[v] && SameIcon(m_names[v], text)) named.push_back(static_cast<int>(v));
    return named;
}

}  // namespace restore

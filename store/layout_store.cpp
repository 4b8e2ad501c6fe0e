// The in-memory layout store: four parallel arrays addressed by layout index, with
// per-layout position, name and path lists created on demand and owned through
// unique_ptr.
#include "store/layout_store.h"

#include <cstddef>

uint32_t PackIconPos(int32_t x, int32_t y) {
    return (static_cast<uint32_t>(y) << 16) | (static_cast<uint32_t>(x) & 0xFFFFu);
}

void UnpackIconPos(uint32_t packed, int32_t& x, int32_t& y) {
    x = static_cast<int16_t>(static_cast<uint16_t>(packed & 0xFFFFu));
    y = static_cast<int16_t>(static_cast<uint16_t>(packed >> 16));
}

namespace {

// True when i addresses an element of a container of the given size.
bool InRange(int i, size_t size) { return i >= 0 && static_cast<size_t>(i) < size; }

// Returns slot i of a pointer array, lengthening it with null slots and creating the
// list when the slot is null.
template <typename List>
List& SlotAt(std::vector<std::unique_ptr<List>>& slots, int i) {
    const size_t k = static_cast<size_t>(i);
    if (k >= slots.size()) slots.resize(k + 1);
    if (!slots[k]) slots[k] = std::make_unique<List>();
    return *slots[k];
}

}  // namespace

CLayoutStore::~CLayoutStore() { RemoveAll(); }

int CLayoutStore::GetCount() const {
    const size_t n = m_titles.size() < m_positions.size() ? m_titles.size() : m_positions.size();
    return static_cast<int>(n);
}

std::string CLayoutStore::GetTitle(int i) const {
    return InRange(i, m_titles.size()) ? m_titles[static_cast<size_t>(i)] : std::string();
}

void CLayoutStore::SetTitle(int i, const char* title) {
    if (i < 0) return;
    const size_t k = static_cast<size_t>(i);
    if (k >= m_titles.size()) m_titles.resize(k + 1);
    m_titles[k] = title ? title : "";
}

int CLayoutStore::GetIconCount(int i) const {
    if (!InRange(i, static_cast<size_t>(GetCount()))) return 0;
    const PositionList* list = m_positions[static_cast<size_t>(i)].get();
    return list ? static_cast<int>(list->size()) : 0;
}

void CLayoutStore::AddIcon(int i, uint32_t packed, const char* name) {
    if (i < 0) return;
    SlotAt(m_positions, i).push_back(packed);
    SlotAt(m_names, i).emplace_back(name ? name : "");
}

void CLayoutStore::AddIconXY(int i, int32_t x, int32_t y, const char* name) {
    AddIcon(i, PackIconPos(x, y), name);
}

uint32_t CLayoutStore::GetPackedPos(int i, int j) const {
    if (!InRange(i, m_positions.size())) return 0;
    const PositionList* list = m_positions[static_cast<size_t>(i)].get();
    if (!list || !InRange(j, list->size())) return 0;
    return (*list)[static_cast<size_t>(j)];
}

void CLayoutStore::GetIconPos(int i, int j, int32_t& x, int32_t& y) const {
    UnpackIconPos(GetPackedPos(i, j), x, y);
}

const char* CLayoutStore::GetIconName(int i, int j) const {
    if (!InRange(i, m_names.size())) return nullptr;
    const NameList* list = m_names[static_cast<size_t>(i)].get();
    if (!list || !InRange(j, list->size())) return nullptr;
    return (*list)[static_cast<size_t>(j)].c_str();
}

void CLayoutStore::SetIconPath(int i, int j, const std::wstring& path) {
    if (!InRange(j, static_cast<size_t>(GetIconCount(i)))) return;
    const std::wstring kept = path.c_str();
    const size_t k = static_cast<size_t>(j);
    if (kept.empty() && (!InRange(i, m_paths.size()) || !m_paths[static_cast<size_t>(i)])) return;
    PathList& list = SlotAt(m_paths, i);
    if (k >= list.size()) list.resize(k + 1);
    list[k] = kept;
}

std::wstring CLayoutStore::GetIconPath(int i, int j) const {
    if (!InRange(i, m_paths.size())) return std::wstring();
    const PathList* list = m_paths[static_cast<size_t>(i)].get();
    if (!list || !InRange(j, list->size())) return std::wstring();
    return (*list)[static_cast<size_t>(j)];
}

int CLayoutStore::FindTitle(const char* title) const {
    if (!title) return -1;
    for (int i = 0; i < GetCount(); ++i) {
        if (m_titles[static_cast<size_t>(i)] == title) return i;
    }
    return -1;
}

void CLayoutStore::RemoveLayout(int i) {
    // Outside the contract, but harmless: only layouts below GetCount() can be removed.
    if (!InRange(i, static_cast<size_t>(GetCount()))) return;
    const auto k = static_cast<std::ptrdiff_t>(i);
    m_titles.erase(m_titles.begin() + k);
    m_positions.erase(m_positions.begin() + k);
    if (InRange(i, m_names.size())) m_names.erase(m_names.begin() + k);
    if (InRange(i, m_paths.size())) m_paths.erase(m_paths.begin() + k);
}

void CLayoutStore::RemoveAll() {
    m_titles.clear();
    m_positions.clear();
    m_names.clear();
    m_paths.clear();
}

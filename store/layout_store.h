// Every saved icon layout in memory: a title and an ordered list of icons, each icon a
// packed position, a name and, where known, the shell's parsing name of the item (its
// path: a file's full path, or "::{CLSID}"). Passive: out-of-range reads give neutral
// values.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Packed icon position: x in bits 0-15, y in bits 16-31, each a 16-bit two's
// complement pixel coordinate. The same value lives in memory, in the registry and in
// LVM_SETITEMPOSITION.
uint32_t PackIconPos(int32_t x, int32_t y);
void UnpackIconPos(uint32_t packed, int32_t& x, int32_t& y);

class CLayoutStore {
public:
    CLayoutStore() = default;
    ~CLayoutStore();
    CLayoutStore(const CLayoutStore&) = delete;
    CLayoutStore& operator=(const CLayoutStore&) = delete;

    // Number of layouts: the smaller of the number of titles and of position lists.
    int GetCount() const;
    std::string GetTitle(int i) const;
    void SetTitle(int i, const char* title);
    int GetIconCount(int i) const;
    void AddIcon(int i, uint32_t packed, const char* name);
    void AddIconXY(int i, int32_t x, int32_t y, const char* name);
    uint32_t GetPackedPos(int i, int j) const;
    void GetIconPos(int i, int j, int32_t& x, int32_t& y) const;
    // Valid until layout i is changed or removed; null when out of range.
    const char* GetIconName(int i, int j) const;
    // The icon's parsing name, kept up to its first NUL (empty: none). A no-op for a
    // layout or icon that does not exist; an icon added by AddIcon/AddIconXY has none.
    void SetIconPath(int i, int j, const std::wstring& path);
    std::wstring GetIconPath(int i, int j) const;  // empty: none
    // Exact, byte-wise; only counted layouts. -1 when absent.
    int FindTitle(const char* title) const;
    void RemoveLayout(int i);
    void RemoveAll();

private:
    using PositionList = std::vector<uint32_t>;
    using NameList = std::vector<std::string>;
    // Made for a layout when it receives its first path; shorter than its icons when
    // the last ones have none.
    using PathList = std::vector<std::wstring>;
    std::vector<std::string> m_titles;
    std::vector<std::unique_ptr<PositionList>> m_positions;  // null slots allowed
    std::vector<std::unique_ptr<NameList>> m_names;          // null slots allowed
    std::vector<std::unique_ptr<PathList>> m_paths;          // null slots allowed
};

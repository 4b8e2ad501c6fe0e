// The stored form of the layouts. Below a store key:
//   Title: "Number" (REG_DWORD, layout count n), "Title[i]" (REG_SZ)
//   Pos:   "Number[i]" (REG_DWORD, icon count m), "Pos[i][j]" (REG_DWORD, packed x/y),
//          "Name[i][j]" (REG_SZ), and for the icons with a parsing name "Path[i][j]"
//          (REG_SZ in UTF-16) with, per layout that has one, "PathCheck[i]" (REG_DWORD,
//          see LayoutPathCheck)
// Values are written and read in layout order, icon by icon. Title, count, place and
// name values are never deleted, so those beyond the counts stay from earlier runs and
// are never read. Path values are read only when the layout's check matches: an older
// copy of the program rewrites the other values and leaves these alone.
#include "store/layout_format.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "store/wide_text.h"

namespace {

constexpr const char* kTitleSection = "Title";
constexpr const char* kPosSection = "Pos";

// Value names are built in a fixed buffer: "Name[-2147483648][-2147483648]" fits in 40,
// as does "PathCheck[-2147483648]".
struct ValueName {
    char text[40];
    ValueName(const char* prefix, int i) { std::snprintf(text, sizeof text, "%s[%d]", prefix, i); }
    ValueName(const char* prefix, int i, int j) {
        std::snprintf(text, sizeof text, "%s[%d][%d]", prefix, i, j);
    }
};

// Bounds the work of loading a damaged store. The counts "Number" and Number[i] may be
// anything (up to 0x7FFFFFFF), but every read that finds a value consumes one of the
// values actually stored, since no value name is read twice. Reads that find nothing
// are paid from this budget, which starts at the number of values stored in both
// sections plus a little slack. So a load makes at most (values stored) + budget + one
// closing read per loop: time and memory proportional to what is stored, never to the
// counts.
//
// A layout (or icon) of which neither value is stored is a hole. While budget is left,
// a hole is read and handled exactly as the plain format says (empty title and no
// icons; an icon at (0, 0) with an empty name). Once the budget is spent, a hole ends
// its loop: a hole layout ends the load, a hole icon ends that layout's icons. Entries
// that carry any stored value never end a loop, so a single huge Number[i] cannot
// starve the layouts after it. Hole icons are added only when an icon with data
// follows them, or when the loop reached the stored count; trailing holes of a loop
// cut short by the budget are dropped. A store this program wrote has no holes below
// its counts and always loads exactly.
class MissBudget {
public:
    explicit MissBudget(uint64_t units) : m_units(units) {}
    void Add(uint64_t units) { m_units += units; }
    bool Spent() const { return m_units == 0; }
    void Pay(uint64_t misses) { m_units = misses < m_units ? m_units - misses : 0; }

private:
    uint64_t m_units;
};

constexpr uint64_t kBudgetSlack = 64;

// A count that is stored but not as a count (another type or size, as a hand edit
// leaves it) is damaged: reading it as 0 would hide everything below it, and the next
// save would write that 0 over it. So it counts as the largest count, and the budget
// loads what is actually stored.
int32_t ReadCount(CProfileStore& profile, const char* section, const char* name, bool* found) {
    bool exact = false;
    const int32_t count = profile.GetInt(section, name, 0, found, &exact);
    return *found && !exact ? INT32_MAX : count;
}

// Reads the icons of layout i; returns nothing, adds them to the store.
void LoadIcons(CProfileStore& profile, CLayoutStore& store, int i, int count, MissBudget& budget) {
    int pendingHoles = 0;
    for (int j = 0; j < count; ++j) {
        bool posFound = false;
        bool nameFound = false;
        const auto packed = static_cast<uint32_t>(
            profile.GetInt(kPosSection, ValueName("Pos", i, j).text, 0, &posFound));
        const std::string name =
            profile.GetString(kPosSection, ValueName("Name", i, j).text, "", &nameFound);
        if (!posFound && !nameFound) {
            if (budget.Spent()) return;
            budget.Pay(2);
            ++pendingHoles;
            continue;
        }
        budget.Pay((posFound ? 0 : 1) + (nameFound ? 0 : 1));
        for (; pendingHoles > 0; --pendingHoles) store.AddIcon(i, 0, "");
        store.AddIcon(i, packed, name.c_str());
    }
    for (; pendingHoles > 0; --pendingHoles) store.AddIcon(i, 0, "");
}

// 32-bit FNV-1a.
class Fnv1a {
public:
    void Add(const void* data, size_t size) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        for (size_t k = 0; k < size; ++k) m_hash = (m_hash ^ bytes[k]) * 0x01000193u;
    }
    void AddDword(uint32_t value) {
        const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                  static_cast<uint8_t>(value >> 16),
                                  static_cast<uint8_t>(value >> 24)};
        Add(bytes, sizeof bytes);
    }
    void AddText(const char* text) { Add(text, std::char_traits<char>::length(text) + 1); }
    void AddWideText(const std::wstring& text) {
        for (const char16_t unit : ToUtf16(text)) {
            AddUnit(unit);
        }
        AddUnit(0);
    }
    uint32_t Value() const { return m_hash; }

private:
    void AddUnit(char16_t unit) {
        const uint8_t bytes[2] = {static_cast<uint8_t>(unit), static_cast<uint8_t>(unit >> 8)};
        Add(bytes, sizeof bytes);
    }
    uint32_t m_hash = 0x811C9DC5u;
};

// The check of layout i with the paths pathAt(j) gives (see LayoutPathCheck).
template <typename PathAt>
uint32_t CheckWith(const CLayoutStore& store, int i, PathAt pathAt) {
    Fnv1a check;
    check.AddText(store.GetTitle(i).c_str());
    for (int j = 0; j < store.GetIconCount(i); ++j) {
        check.AddDword(store.GetPackedPos(i, j));
        check.AddText(store.GetIconName(i, j));
        check.AddWideText(pathAt(j));
    }
    return check.Value();
}

bool HasPaths(const CLayoutStore& store, int i) {
    for (int j = 0; j < store.GetIconCount(i); ++j) {
        if (!store.GetIconPath(i, j).empty()) return true;
    }
    return false;
}

// The paths of layout i, as loaded, when its check is stored and matches. Reads only
// where the other values of the layout were read: no extra key opens, and at most one
// read per icon loaded.
void LoadPaths(CProfileStore& profile, CLayoutStore& store, int i) {
    bool exact = false;
    const auto stored = static_cast<uint32_t>(
        profile.GetInt(kPosSection, ValueName("PathCheck", i).text, 0, nullptr, &exact));
    if (!exact) return;
    std::vector<std::wstring> paths(static_cast<size_t>(store.GetIconCount(i)));
    for (size_t j = 0; j < paths.size(); ++j) {
        paths[j] =
            profile.GetWideString(kPosSection, ValueName("Path", i, static_cast<int>(j)).text);
    }
    if (CheckWith(store, i, [&](int j) { return paths[static_cast<size_t>(j)]; }) != stored) return;
    for (size_t j = 0; j < paths.size(); ++j) {
        if (!paths[j].empty()) store.SetIconPath(i, static_cast<int>(j), paths[j]);
    }
}

}  // namespace

uint32_t LayoutPathCheck(const CLayoutStore& store, int i) {
    return CheckWith(store, i, [&](int j) { return store.GetIconPath(i, j); });
}

void ReadLayouts(CProfileStore& profile, CLayoutStore& store) {
    bool numberFound = false;
    const int32_t n = ReadCount(profile, kTitleSection, "Number", &numberFound);
    if (n <= 0) return;
    // Counted where each section is open anyway: no extra key opens.
    MissBudget budget(profile.GetValueCount(kTitleSection) + kBudgetSlack);
    bool posCounted = false;
    for (int i = 0; i < n; ++i) {
        bool titleFound = false;
        bool countFound = false;
        const std::string title =
            profile.GetString(kTitleSection, ValueName("Title", i).text, "", &titleFound);
        if (!posCounted) {
            budget.Add(profile.GetValueCount(kPosSection));
            posCounted = true;
        }
        const int32_t m = ReadCount(profile, kPosSection, ValueName("Number", i).text, &countFound);
        if (!titleFound && !countFound) {
            if (budget.Spent()) break;
            budget.Pay(2);
        } else {
            budget.Pay((titleFound ? 0 : 1) + (countFound ? 0 : 1));
        }
        store.SetTitle(i, title.c_str());
        if (m > 0) LoadIcons(profile, store, i, m, budget);
        if (store.GetIconCount(i) > 0) LoadPaths(profile, store, i);
    }
}

namespace {

// Writes single values of a store, each with its own name; false when refused.
struct ValueWriter {
    CProfileStore& profile;
    const CLayoutStore& store;

    bool Count() { return profile.WriteInt(kTitleSection, "Number", store.GetCount()); }
    bool Title(int i) {
        return profile.WriteString(kTitleSection, ValueName("Title", i).text,
                                   store.GetTitle(i).c_str());
    }
    bool IconCount(int i) {
        return profile.WriteInt(kPosSection, ValueName("Number", i).text, store.GetIconCount(i));
    }
    bool Pos(int i, int j) {
        return profile.WriteInt(kPosSection, ValueName("Pos", i, j).text,
                                static_cast<int32_t>(store.GetPackedPos(i, j)));
    }
    bool Name(int i, int j) {
        const char* name = store.GetIconName(i, j);
        return profile.WriteString(kPosSection, ValueName("Name", i, j).text, name ? name : "");
    }
    bool PathCheck(int i) {
        return profile.WriteInt(kPosSection, ValueName("PathCheck", i).text,
                                static_cast<int32_t>(LayoutPathCheck(store, i)));
    }
    // Only an icon with a path has a value.
    bool Path(int i, int j) {
        const std::wstring path = store.GetIconPath(i, j);
        return path.empty() ||
               profile.WriteWideString(kPosSection, ValueName("Path", i, j).text, path);
    }
    // Every icon's value of one kind, layout by layout.
    template <typename Write>
    bool EachIcon(Write write) {
        for (int i = 0; i < store.GetCount(); ++i) {
            for (int j = 0; j < store.GetIconCount(i); ++j) {
                if (!write(i, j)) return false;
            }
        }
        return true;
    }
};

}  // namespace

bool WriteLayouts(CProfileStore& profile, const CLayoutStore& store, WriteOrder order) {
    ValueWriter w{profile, store};
    const int n = store.GetCount();
    if (!w.Count()) return false;
    if (order == WriteOrder::kKindByKind) {
        for (int i = 0; i < n; ++i) {
            if (!w.Title(i)) return false;
        }
        if (!w.EachIcon([&](int i, int j) { return w.Name(i, j); })) return false;
        for (int i = 0; i < n; ++i) {
            if (!w.IconCount(i)) return false;
        }
        for (int i = 0; i < n; ++i) {
            if (HasPaths(store, i) && !w.PathCheck(i)) return false;
        }
        if (!w.EachIcon([&](int i, int j) { return w.Path(i, j); })) return false;
        return w.EachIcon([&](int i, int j) { return w.Pos(i, j); });
    }
    for (int i = 0; i < n; ++i) {
        if (!w.Title(i) || !w.IconCount(i)) return false;
        // The check before the layout's paths, each path after its place: see
        // RemoveStalePaths.
        const bool paths = HasPaths(store, i);
        if (paths && !w.PathCheck(i)) return false;
        for (int j = 0; j < store.GetIconCount(i); ++j) {
            if (!w.Pos(i, j) || !w.Name(i, j) || (paths && !w.Path(i, j))) return false;
        }
    }
    return true;
}

namespace {

bool Stored(CProfileStore& profile, const ValueName& name) {
    bool present = false;
    profile.GetInt(kPosSection, name.text, 0, &present);
    return present;
}

}  // namespace

bool RemoveStalePaths(CProfileStore& profile, const CLayoutStore& store) {
    if (!profile.SelectExistingSection(kPosSection)) return !profile.Failed();
    const int n = store.GetCount();
    // Every layout that ever had values: Number[i] was written before any PathCheck[i]
    // and no save deletes it.
    for (int i = 0; i < n || Stored(profile, ValueName("Number", i)); ++i) {
        const int m = i < n ? store.GetIconCount(i) : 0;
        const bool paths = i < n && HasPaths(store, i);
        // Without its check a layout has no path values: a check goes in before its
        // layout's paths and out after them.
        if (!paths && !Stored(profile, ValueName("PathCheck", i))) continue;
        // The icons without a path, and those beyond the count as far as places were ever
        // stored: a path was written after its place, and no save deletes a place.
        for (int j = 0; j < m || Stored(profile, ValueName("Pos", i, j)); ++j) {
            if (j < m && !store.GetIconPath(i, j).empty()) continue;
            if (!profile.DeleteValue(kPosSection, ValueName("Path", i, j).text)) return false;
        }
        if (!paths && !profile.DeleteValue(kPosSection, ValueName("PathCheck", i).text))
            return false;
    }
    return !profile.Failed();
}

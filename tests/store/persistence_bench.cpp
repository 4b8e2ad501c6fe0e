// Benchmark (prints figures, asserts nothing): SaveLayouts and LoadLayouts of 100
// layouts x 200 icons, each against a bare loop making the stored form's registry calls
// in the same order (same value names, one section key open at a time): the save's
// staging is its cost over the bare writes; the load (no staging left) opens for reading.
// Once without paths, then with a path on every icon (the bare loops then write and read
// each layout's PathCheck and every Path as well).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "store/layout_persistence.h"
#include "store/registry_api.h"
#include "store/wide_text.h"

namespace {

constexpr int kLayouts = 100;
constexpr int kIcons = 200;
const char kKey[] = "Software\\BRANOK Soft\\TorvinelBench";

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The section-switching pattern of the profile store, without it.
struct BareSections {
    HKEY base = nullptr;
    HKEY section = nullptr;
    const char* name = nullptr;
    bool readOnly = false;
    HKEY Select(const char* wanted) {
        if (name != wanted) {
            if (section) RegCloseKey(section);
            if (readOnly)
                RegOpenKeyExA(base, wanted, 0, KEY_READ, &section);
            else
                RegCreateKeyExA(base, wanted, 0, nullptr, 0, 0x2001F, nullptr, &section, nullptr);
            name = wanted;
        }
        return section;
    }
    ~BareSections() {
        if (section) RegCloseKey(section);
        if (base) RegCloseKey(base);
    }
};

// The UTF-16 units of an ASCII value name, as the W functions take them.
std::basic_string<WCHAR> WideName(const char* name) {
    return std::basic_string<WCHAR>(name, name + std::strlen(name));
}

void BareSave(const CLayoutStore& store, bool paths) {
    BareSections s;
    RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, 0x2001F, nullptr, &s.base, nullptr);
    char name[40];
    DWORD n = static_cast<DWORD>(store.GetCount());
    RegSetValueExA(s.Select("Title"), "Number", 0, REG_DWORD, reinterpret_cast<BYTE*>(&n), 4);
    for (int i = 0; i < store.GetCount(); ++i) {
        std::snprintf(name, sizeof name, "Title[%d]", i);
        const std::string title = store.GetTitle(i);
        RegSetValueExA(s.Select("Title"), name, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(title.c_str()),
                       static_cast<DWORD>(title.size() + 1));
        DWORD m = static_cast<DWORD>(store.GetIconCount(i));
        std::snprintf(name, sizeof name, "Number[%d]", i);
        RegSetValueExA(s.Select("Pos"), name, 0, REG_DWORD, reinterpret_cast<BYTE*>(&m), 4);
        if (paths) {
            std::snprintf(name, sizeof name, "PathCheck[%d]", i);
            RegSetValueExA(s.Select("Pos"), name, 0, REG_DWORD, reinterpret_cast<BYTE*>(&m), 4);
        }
        for (int j = 0; j < store.GetIconCount(i); ++j) {
            DWORD packed = store.GetPackedPos(i, j);
            std::snprintf(name, sizeof name, "Pos[%d][%d]", i, j);
            RegSetValueExA(s.Select("Pos"), name, 0, REG_DWORD, reinterpret_cast<BYTE*>(&packed),
                           4);
            const char* text = store.GetIconName(i, j);
            std::snprintf(name, sizeof name, "Name[%d][%d]", i, j);
            RegSetValueExA(s.Select("Pos"), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                           static_cast<DWORD>(std::strlen(text) + 1));
            if (paths) {
                const std::u16string path = ToUtf16(store.GetIconPath(i, j));
                std::snprintf(name, sizeof name, "Path[%d][%d]", i, j);
                RegSetValueExW(s.Select("Pos"), WideName(name).c_str(), 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(path.c_str()),
                               static_cast<DWORD>((path.size() + 1) * 2));
            }
        }
    }
}

void BareLoad(CLayoutStore& store, bool paths) {
    BareSections s;
    s.readOnly = true;
    RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &s.base);
    char name[40];
    char text[256];
    DWORD n = 0, size = 4;
    RegQueryValueExA(s.Select("Title"), "Number", nullptr, nullptr, reinterpret_cast<BYTE*>(&n),
                     &size);
    for (int i = 0; i < static_cast<int>(n); ++i) {
        std::snprintf(name, sizeof name, "Title[%d]", i);
        size = sizeof text;
        RegQueryValueExA(s.Select("Title"), name, nullptr, nullptr, reinterpret_cast<BYTE*>(text),
                         &size);
        store.SetTitle(i, std::string(text, strnlen(text, size)).c_str());
        DWORD m = 0;
        size = 4;
        std::snprintf(name, sizeof name, "Number[%d]", i);
        RegQueryValueExA(s.Select("Pos"), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&m),
                         &size);
        for (int j = 0; j < static_cast<int>(m); ++j) {
            DWORD packed = 0;
            size = 4;
            std::snprintf(name, sizeof name, "Pos[%d][%d]", i, j);
            RegQueryValueExA(s.Select("Pos"), name, nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&packed), &size);
            size = sizeof text;
            std::snprintf(name, sizeof name, "Name[%d][%d]", i, j);
            RegQueryValueExA(s.Select("Pos"), name, nullptr, nullptr, reinterpret_cast<BYTE*>(text),
                             &size);
            store.AddIcon(i, packed, std::string(text, strnlen(text, size)).c_str());
        }
        if (!paths) continue;
        DWORD check = 0;
        size = 4;
        std::snprintf(name, sizeof name, "PathCheck[%d]", i);
        RegQueryValueExA(s.Select("Pos"), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&check),
                         &size);
        for (int j = 0; j < static_cast<int>(m); ++j) {
            char16_t path[256];
            size = sizeof path;
            std::snprintf(name, sizeof name, "Path[%d][%d]", i, j);
            RegQueryValueExW(s.Select("Pos"), WideName(name).c_str(), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(path), &size);
            store.SetIconPath(i, j, FromUtf16(path, size / 2 - 1));
        }
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty()      ? 0
           : v.size() % 2 ? v[v.size() / 2]
                          : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}
double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
double Max(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

// Runs the rounds for one store and prints its rows: each round runs both sides back to
// back; the figures are the medians over the rounds, the ratio the median of the rounds'
// own ratios (a machine whose speed changes between rounds moves both sides of a round
// alike). False when a load did not give the store back.
bool Measure(const CLayoutStore& source, bool paths, int rounds) {
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    std::vector<double> save[3], load[3];  // ours, bare, ratio
    for (int r = 0; r < rounds; ++r) {
        double t[2][2];  // [save/load][ours/bare]
        for (int bare = 0; bare < 2; ++bare) {
            auto start = std::chrono::steady_clock::now();
            if (bare)
                BareSave(source, paths);
            else
                SaveLayouts(source, kKey);
            t[0][bare] = Seconds(start);
            CLayoutStore loaded;
            start = std::chrono::steady_clock::now();
            if (bare)
                BareLoad(loaded, paths);
            else
                LoadLayouts(loaded, kKey);
            t[1][bare] = Seconds(start);
            if (loaded.GetCount() != kLayouts || loaded.GetIconCount(kLayouts - 1) != kIcons ||
                loaded.GetIconPath(kLayouts - 1, kIcons - 1) !=
                    source.GetIconPath(kLayouts - 1, kIcons - 1)) {
                std::printf("load gave %d layouts\n", loaded.GetCount());
                return false;
            }
        }
        for (int side = 0; side < 2; ++side) {
            save[side].push_back(t[0][side] * 1e3);
            load[side].push_back(t[1][side] * 1e3);
        }
        save[2].push_back(t[0][0] / t[0][1]);
        load[2].push_back(t[1][0] / t[1][1]);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    const char* with = paths ? ", a path on every icon" : "";
    const char* suffix = paths ? "_paths" : "";
    std::printf("%d layouts x %d icons%s, medians of %d rounds:\n", kLayouts, kIcons, with, rounds);
    std::printf(
        "  SaveLayouts (staged)  %8.1f ms   bare writes %8.1f ms   ratio %5.2f (%.2f-%.2f)\n",
        Median(save[0]), Median(save[1]), Median(save[2]), Min(save[2]), Max(save[2]));
    std::printf(
        "  LoadLayouts           %8.1f ms   bare reads  %8.1f ms   ratio %5.2f (%.2f-%.2f)\n",
        Median(load[0]), Median(load[1]), Median(load[2]), Min(load[2]), Max(load[2]));
    std::printf("BENCH save_100x200%s %.1f %.1f %.3f 2.2\n", suffix, Median(save[0]),
                Median(save[1]), Median(save[2]));
    std::printf("BENCH load_100x200%s %.1f %.1f %.3f 1.05\n", suffix, Median(load[0]),
                Median(load[1]), Median(load[2]));
    return true;
}

}  // namespace

// persistence_bench [ROUNDS [paths|nopaths]]: both stores unless one is named.
int main(int argc, char** argv) {
    const int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 5);
    const std::string only = argc > 2 ? argv[2] : "";
    CLayoutStore source, withPaths;
    for (int i = 0; i < kLayouts; ++i) {
        const std::string title = "Layout " + std::to_string(i) + " 1024x768";
        source.SetTitle(i, title.c_str());
        withPaths.SetTitle(i, title.c_str());
        for (int j = 0; j < kIcons; ++j) {
            const std::string name = "Icon name " + std::to_string(j);
            source.AddIconXY(i, 10 + j, 20 + i, name.c_str());
            withPaths.AddIconXY(i, 10 + j, 20 + i, name.c_str());
            withPaths.SetIconPath(
                i, j, L"C:\\Users\\Public\\Desktop\\Icon name " + std::to_wstring(j) + L".lnk");
        }
    }
    if (only != "paths" && !Measure(source, false, rounds)) return 1;
    if (only != "nopaths" && !Measure(withPaths, true, rounds)) return 1;
    return 0;
}

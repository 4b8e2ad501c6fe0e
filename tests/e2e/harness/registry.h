// The saved layouts of TORVINEL.EXE in HKEY_CURRENT_USER, seeded, read and deleted
// straight through the registry (the test process shares the wineserver with the
// program), and Wine's per-EXE Windows version.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

// "Software\BRANOK Soft\TORVINEL" below HKEY_CURRENT_USER.
extern const wchar_t kLayoutsKey[];

struct SeedIcon {
    uint32_t packedPos;
    std::wstring name;
};
struct SeedLayout {
    std::wstring title;
    std::vector<SeedIcon> icons;
};

// Whether HKEY_CURRENT_USER\<path> exists; removes it with everything below.
bool KeyExists(const std::wstring& path);
void DeleteKeyTree(const std::wstring& path);

// A layout "other" of one icon: the second line of tests that restore the first.
SeedLayout OtherLayout();

// Removes the saved layouts (the whole key).
void DeleteLayouts();
// Replaces the saved layouts with these, in the stored format.
void SeedLayouts(const std::vector<SeedLayout>& layouts);
// Layouts with these titles, one icon each (a layout without icons would not count).
void SeedTitles(const std::vector<std::wstring>& titles);

// Values of section "Title" or "Pos"; nullopt when absent.
std::optional<DWORD> ReadDword(const wchar_t* section, const std::wstring& name);
std::optional<std::wstring> ReadString(const wchar_t* section, const std::wstring& name);
// Every value below the layouts key, as "subkey\\name" -> type and bytes.
using LayoutValues = std::map<std::wstring, std::pair<DWORD, std::string>>;
LayoutValues ReadLayoutValues();
// Titles 0..Number-1 as stored.
std::vector<std::wstring> ReadTitles();
// What ReadLayoutValues gives once the program has saved exactly these layouts.
LayoutValues ValuesOf(const std::vector<SeedLayout>& layouts);

// The title of the layout the program keeps of the desktop before each restore.
extern const wchar_t kSnapshotTitle[];

// Makes GetVersionExA report Windows 98 to TORVINEL.EXE (Wine's AppDefaults), or not.
void SetWin98(bool on);

}  // namespace e2e

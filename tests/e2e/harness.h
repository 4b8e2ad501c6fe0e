// What end-to-end tests share: the path of the built TORVINEL.EXE, its saved layouts
// in HKCU (seeded, read and deleted straight through the registry: the test process
// shares the wineserver with the program), the per-EXE Windows version, and a running
// program that is ended if a test leaves it behind.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/driver/driver.h"

namespace e2e {

// Windows path of the TORVINEL.EXE under test.
std::wstring TorvinelExePath();

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

// Removes the saved layouts (the whole key).
void DeleteLayouts();
// Replaces the saved layouts with these, in the stored format.
void SeedLayouts(const std::vector<SeedLayout>& layouts);
// Values of section "Title" or "Pos"; nullopt when absent.
std::optional<DWORD> ReadDword(const wchar_t* section, const std::wstring& name);
std::optional<std::wstring> ReadString(const wchar_t* section, const std::wstring& name);
// Every value below the layouts key, as "subkey\\name" -> type and bytes.
using LayoutValues = std::map<std::wstring, std::pair<DWORD, std::string>>;
LayoutValues ReadLayoutValues();
// Titles 0..Number-1 as stored.
std::vector<std::wstring> ReadTitles();

// Makes GetVersionExA report Windows 98 to TORVINEL.EXE (Wine's AppDefaults), or not.
void SetWin98(bool on);

// A started TORVINEL.EXE with its visible main dialog; ended on destruction if it
// still runs.
class RunningApp {
public:
    // Starts the program and waits for the dialog; as Windows 98 it first answers the
    // platform warning.
    explicit RunningApp(bool asWin98 = false);
    ~RunningApp();
    RunningApp(const RunningApp&) = delete;
    RunningApp& operator=(const RunningApp&) = delete;

    const driver::Process& process() const { return m_process; }
    HWND main() const { return m_main; }
    // Waits for a message box or dialog of this process.
    HWND WaitForBox(const std::wstring& caption, DWORD timeoutMs = 5000) const;
    // True when the process ended in time.
    bool WaitForExit(DWORD timeoutMs = 10000) const { return m_process.WaitForExit(timeoutMs); }

private:
    driver::Process m_process;
    HWND m_main = nullptr;
};

}  // namespace e2e

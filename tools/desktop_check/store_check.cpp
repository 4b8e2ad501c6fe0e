// The registry after close (see store_check.h).
#include "tools/desktop_check/store_check.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "tools/desktop_check/report.h"
#include "win/unique_handle.h"

namespace check {

namespace {
constexpr char kTitleKey[] = "Software\\BRANOK Soft\\TORVINEL\\Title";
// "（復元前の配置）" in code page 932, as the program writes it whatever the system's.
constexpr char kSnapshotTitle[] =
    "\x81\x69\x95\x9C\x8C\xB3\x91\x4F\x82\xCC\x94\x7A\x92\x75\x81\x6A";

void CloseKey(HKEY key) { RegCloseKey(key); }
using Key = win::UniqueAny<win::ClosedBy<HKEY, CloseKey>>;

std::vector<std::string> ReadTitles() {
    Key key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kTitleKey, 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS)
        return {};
    DWORD number = 0, size = sizeof number;
    if (RegQueryValueExA(key.Get(), "Number", nullptr, nullptr, reinterpret_cast<BYTE*>(&number),
                         &size) != ERROR_SUCCESS)
        return {};
    std::vector<std::string> titles;
    for (DWORD i = 0; i < number && i < 10000; ++i) {
        const std::string name = "Title[" + std::to_string(i) + "]";
        char text[1024] = {};
        DWORD bytes = sizeof text - 1;
        if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(text), &bytes) == ERROR_SUCCESS)
            titles.emplace_back(text);
    }
    return titles;
}
}  // namespace

void CheckStore(const std::string& title, bool expectSnapshot) {
    const std::vector<std::string> titles = ReadTitles();
    Line("store: layouts in HKCU\\" + std::string(kTitleKey) + ": " +
         std::to_string(titles.size()));
    if (std::find(titles.begin(), titles.end(), title) == titles.end())
        Difference("store: the layout \"" + title + "\" is not in the registry");
    Line("store: the layout \"" + title + "\" is there");
    const bool snapshot = std::find(titles.begin(), titles.end(), kSnapshotTitle) != titles.end();
    Line(std::string("store: the arrangement before the restore (\xEF\xBC\x88\xE5\xBE\xA9\xE5"
                     "\x85\x83\xE5\x89\x8D\xE3\x81\xAE\xE9\x85\x8D\xE7\xBD\xAE\xEF\xBC\x89) ") +
         (snapshot ? "is there" : "is not there"));
    if (expectSnapshot && !snapshot)
        Difference("store: the arrangement before the restore was not kept");
}

}  // namespace check

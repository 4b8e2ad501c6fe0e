// Reading, moving and comparing the desktop's icons (see icons.h).
#include "tools/desktop_check/icons.h"

#include <commctrl.h>

#include <cstdlib>
#include <map>

#include "desktop/access/find_view.h"
#include "desktop/access/win32_desktop.h"
#include "tools/desktop_check/report.h"

namespace check {

namespace {
constexpr DWORD kMessageTimeoutMs = 5000;

// Icons by name, icons of one name in item order.
std::map<std::string, std::vector<const Icon*>> ByName(const Icons& icons) {
    std::map<std::string, std::vector<const Icon*>> byName;
    for (const Icon& icon : icons) byName[icon.name].push_back(&icon);
    return byName;
}
}  // namespace

HWND FindView() { return desktop::FindDesktopListView(); }

HWND WaitForView(int minIcons, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND view = FindView()) {
            DWORD_PTR count = 0;
            if (SendMessageTimeoutA(view, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG,
                                    kMessageTimeoutMs, &count) &&
                static_cast<int>(count) >= minIcons)
                return view;
        }
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(250);
    }
}

Icons ReadIcons(HWND view) {
    Icons icons;
    desktop::Win32Desktop desk;
    const desktop::ViewId id = desk.FindView();
    if (!id || reinterpret_cast<HWND>(id) != view) return icons;
    std::unique_ptr<desktop::AccessContext> access = desk.OpenRemote(id);
    if (!access) return icons;
    const int count = desk.CountItems(id);
    for (int i = 0; i < count; ++i) {
        Icon icon;
        int32_t x = 0, y = 0;
        icon.name = access->ReadText(i);
        if (!access->ReadPosition(i, x, y)) return {};
        icon.x = x;
        icon.y = y;
        icons.push_back(icon);
    }
    return icons;
}

bool MoveIcon(HWND view, int index, int x, int y) {
    DWORD_PTR moved = 0;
    return SendMessageTimeoutA(view, LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
                               MAKELPARAM(x, y), SMTO_ABORTIFHUNG, kMessageTimeoutMs, &moved) &&
           moved;
}

SIZE Spacing(HWND view) {
    DWORD_PTR spacing = 0;
    SendMessageTimeoutA(view, LVM_GETITEMSPACING, FALSE, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                        &spacing);
    return SIZE{LOWORD(spacing), HIWORD(spacing)};
}

std::string FirstMisplaced(const Icons& expected, const Icons& got, int slackX, int slackY) {
    auto gotByName = ByName(got);
    for (const auto& [name, wanted] : ByName(expected)) {
        const auto& found = gotByName[name];
        for (size_t i = 0; i < wanted.size(); ++i) {
            const Icon& w = *wanted[i];
            const std::string where = "\"" + FromAnsi(name) + "\" wanted at (" +
                                      std::to_string(w.x) + ", " + std::to_string(w.y) + ")";
            if (i >= found.size()) return where + ", not listed";
            const Icon& g = *found[i];
            if (std::abs(g.x - w.x) > slackX || std::abs(g.y - w.y) > slackY)
                return where + ", stands at (" + std::to_string(g.x) + ", " + std::to_string(g.y) +
                       ")";
        }
    }
    return "";
}

int CountAtPlace(const Icons& a, const Icons& b) {
    auto bByName = ByName(b);
    int at = 0;
    for (const auto& [name, icons] : ByName(a)) {
        const auto& others = bByName[name];
        for (size_t i = 0; i < icons.size() && i < others.size(); ++i)
            if (icons[i]->x == others[i]->x && icons[i]->y == others[i]->y) ++at;
    }
    return at;
}

}  // namespace check

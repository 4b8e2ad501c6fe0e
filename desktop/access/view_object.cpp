// The chain to the desktop's view object, as the shell offers it: ShellWindows ->
// FindWindowSW(SWC_DESKTOP) -> the top-level browser -> its active shell view ->
// IFolderView; then a name check per icon and one batched call.
#include "desktop/access/view_object.h"

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shlguid.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "desktop/access/remote_block.h"
#include "win/com.h"

namespace desktop {

namespace {

using win::UniqueCom;

UniqueCom<IFolderView> FindDesktopFolderView() {
    UniqueCom<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                win::PutVoid(windows))))
        return {};
    VARIANT location = {};  // VT_EMPTY, as VariantInit makes it
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    VARIANT root = {};
    long hwnd = 0;
    UniqueCom<IDispatch> desktop;
    // S_FALSE: no desktop window is registered.
    if (windows.Get()->FindWindowSW(&location, &root, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH,
                                    desktop.Put()) != S_OK ||
        !desktop)
        return {};
    UniqueCom<IServiceProvider> services;
    if (FAILED(desktop.Get()->QueryInterface(IID_IServiceProvider, win::PutVoid(services))))
        return {};
    UniqueCom<IShellBrowser> browser;
    if (FAILED(services.Get()->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                            win::PutVoid(browser))))
        return {};
    UniqueCom<IShellView> shellView;
    if (FAILED(browser.Get()->QueryActiveShellView(shellView.Put())) || !shellView) return {};
    UniqueCom<IFolderView> view;
    if (FAILED(shellView.Get()->QueryInterface(IID_IFolderView, win::PutVoid(view)))) return {};
    return view;
}

// Wide text in the ANSI code page.
std::string ToAnsi(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &ansi[0], size, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(size) - 1);
    return ansi;
}

// The item's name as the desktop shows it under its icon, in the ANSI code page (the
// form the list view's texts are read in). Empty when it cannot be had.
std::string DisplayName(IShellFolder& folder, PCUITEMID_CHILD item) {
    STRRET name = {};
    if (FAILED(folder.GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_NORMAL, &name))) return {};
    switch (name.uType) {
        case STRRET_WSTR: {
            const win::UniqueCoTaskMem<wchar_t> text(name.pOleStr);
            return text ? ToAnsi(text.Get()) : std::string();
        }
        case STRRET_OFFSET:
            return reinterpret_cast<const char*>(item) + name.uOffset;
        case STRRET_CSTR:
            return std::string(name.cStr, strnlen(name.cStr, sizeof name.cStr));
        default:
            return {};
    }
}

// Whether the view's item carries the text the restore read. The list view hands out
// at most 99 bytes of a text (98 when a double-byte character would be split), so a
// text that long may be the start of a longer name.
bool SameIcon(const std::string& viewName, const std::string& readText) {
    if (readText.empty()) return viewName.empty();
    const size_t mayBeCut = static_cast<size_t>(kTextBufferSize) - 2;
    if (readText.size() >= mayBeCut) return viewName.compare(0, readText.size(), readText) == 0;
    return viewName == readText;
}

// The view object's process is gone or no longer takes calls: every further call would
// fail the same way.
bool Unreachable(HRESULT hr) {
    return HRESULT_FACILITY(hr) == FACILITY_RPC ||
           hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
           hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED);
}

}  // namespace

size_t TellViewObject(const std::vector<PlacedIcon>& icons) {
    if (icons.empty()) return 0;
    const UniqueCom<IFolderView> view = FindDesktopFolderView();
    if (!view) return 0;
    UniqueCom<IShellFolder> folder;
    if (FAILED(view.Get()->GetFolder(IID_IShellFolder, win::PutVoid(folder))) || !folder) return 0;

    std::vector<win::UniqueCoTaskMem<ITEMID_CHILD>> owned;
    std::vector<PCUITEMID_CHILD> items;
    std::vector<POINT> points;
    owned.reserve(icons.size());
    items.reserve(icons.size());
    points.reserve(icons.size());
    for (const PlacedIcon& icon : icons) {
        win::UniqueCoTaskMem<ITEMID_CHILD> item;
        const HRESULT hr = view.Get()->Item(icon.index, item.Put());
        if (Unreachable(hr)) return 0;
        if (FAILED(hr) || !item) continue;
        if (!SameIcon(DisplayName(*folder.Get(), item.Get()), icon.text)) continue;
        items.push_back(item.Get());
        points.push_back({icon.x, icon.y});
        owned.push_back(std::move(item));
    }
    if (items.empty()) return 0;
    const HRESULT hr = view.Get()->SelectAndPositionItems(
        static_cast<UINT>(items.size()), items.data(), points.data(), SVSI_POSITIONITEM);
    return SUCCEEDED(hr) ? items.size() : 0;
}

}  // namespace desktop

// The chain to the desktop's view object, as the shell offers it: ShellWindows ->
// FindWindowSW(SWC_DESKTOP) -> the top-level browser -> its active shell view ->
// IFolderView; then all of the view's item IDs in view order in a few calls, a name
// check per icon (read in our own process wherever the desktop folder here can), and
// one batched call.
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

// The display names of the view's items. Read in our own process wherever its desktop
// folder can: the desktop's item IDs mean the same in every process, and this costs no
// call to the shell. Where it cannot (an empty name: an item ID it does not understand)
// the view's own folder is asked, fetched the first time it is needed.
class ItemNames {
public:
    explicit ItemNames(IFolderView& view) : m_view(view), m_shell(LoadLibraryW(L"shell32.dll")) {
        // Loaded here, not imported: the program's start-up does not pay for it.
        using GetDesktopFolder = HRESULT(WINAPI*)(IShellFolder**);
        const FARPROC proc =
            m_shell ? GetProcAddress(m_shell.Get(), "SHGetDesktopFolder") : nullptr;
        const auto get = reinterpret_cast<GetDesktopFolder>(reinterpret_cast<void (*)()>(proc));
        if (!get || FAILED(get(m_here.Put()))) m_here.Reset();
    }
    std::string Of(PCUITEMID_CHILD item) {
        std::string name = m_here ? DisplayName(*m_here.Get(), item) : std::string();
        if (!name.empty()) return name;
        if (!m_viewFolder && !m_noViewFolder &&
            (FAILED(m_view.GetFolder(IID_IShellFolder, win::PutVoid(m_viewFolder))) ||
             !m_viewFolder))
            m_noViewFolder = true;
        return m_viewFolder ? DisplayName(*m_viewFolder.Get(), item) : std::string();
    }

private:
    IFolderView& m_view;
    win::UniqueModule m_shell;  // outlives the folder it made
    UniqueCom<IShellFolder> m_here;
    UniqueCom<IShellFolder> m_viewFolder;
    bool m_noViewFolder = false;
};

// The view object's process is gone or no longer takes calls: every further call would
// fail the same way.
bool Unreachable(HRESULT hr) {
    return HRESULT_FACILITY(hr) == FACILITY_RPC ||
           hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
           hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED);
}

using OwnedItems = std::vector<win::UniqueCoTaskMem<ITEMID_CHILD>>;

// Every item ID of the view in view order (an item's place in the list is its index in
// the view, as IFolderView::Item counts), fetched in batches. False when the view does
// not hand them out this way.
bool ViewItems(IFolderView& view, OwnedItems& items, HRESULT& hr) {
    UniqueCom<IEnumIDList> list;
    hr = view.Items(SVGIO_ALLVIEW | SVGIO_FLAG_VIEWORDER, IID_IEnumIDList, win::PutVoid(list));
    if (FAILED(hr) || !list) return false;
    constexpr ULONG kBatch = 1024;
    std::vector<PITEMID_CHILD> batch(kBatch);
    for (;;) {
        ULONG fetched = 0;
        hr = list.Get()->Next(kBatch, batch.data(), &fetched);
        if (FAILED(hr)) return false;
        for (ULONG i = 0; i < fetched && i < kBatch; ++i) items.emplace_back(batch[i]);
        if (hr != S_OK || fetched == 0) return true;
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

}  // namespace

size_t TellViewObject(const std::vector<PlacedIcon>& icons) {
    if (icons.empty()) return 0;
    const UniqueCom<IFolderView> view = FindDesktopFolderView();
    if (!view) return 0;
    // All item IDs at once; a view that does not enumerate is asked item by item.
    OwnedItems viewItems;
    HRESULT hr = S_OK;
    const bool enumerated = ViewItems(*view.Get(), viewItems, hr);
    if (Unreachable(hr)) return 0;

    ItemNames names(*view.Get());
    OwnedItems owned;  // the item IDs asked for one by one
    std::vector<PCUITEMID_CHILD> items;
    std::vector<POINT> points;
    items.reserve(icons.size());
    points.reserve(icons.size());
    for (const PlacedIcon& icon : icons) {
        PCUITEMID_CHILD item = nullptr;
        if (enumerated) {
            if (icon.index < 0 || static_cast<size_t>(icon.index) >= viewItems.size()) continue;
            item = viewItems[static_cast<size_t>(icon.index)].Get();
        } else {
            win::UniqueCoTaskMem<ITEMID_CHILD> one;
            hr = view.Get()->Item(icon.index, one.Put());
            if (Unreachable(hr)) return 0;
            if (FAILED(hr) || !one) continue;
            item = one.Get();
            owned.push_back(std::move(one));
        }
        if (!item) continue;
        if (!SameIcon(names.Of(item), icon.text)) continue;
        items.push_back(item);
        points.push_back({icon.x, icon.y});
    }
    if (items.empty()) return 0;
    hr = view.Get()->SelectAndPositionItems(static_cast<UINT>(items.size()), items.data(),
                                            points.data(), SVSI_POSITIONITEM);
    return SUCCEEDED(hr) ? items.size() : 0;
}

}  // namespace desktop

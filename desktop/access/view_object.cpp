// The chain to the desktop's view object, as the shell offers it: ShellWindows ->
// FindWindowSW(SWC_DESKTOP) -> the top-level browser -> its active shell view ->
// IFolderView; then all of the view's item IDs in view order in a few calls and their
// names (read in our own process wherever the desktop folder here can), and the
// coordinate check; once the restore hands its icons over, one batched call.
#include "desktop/access/view_object.h"

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shlguid.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "desktop/access/remote_block.h"
#include "desktop/access/win32_desktop.h"
#include "desktop/restore/view_pairing.h"
#include "win/com.h"

namespace desktop {

namespace {

using win::UniqueCom;

UniqueCom<IFolderView> FindDesktopFolderView() {
    UniqueCom<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                IID_PPV_ARGS(windows.Put()))))
        return {};
    VARIANT location = {};  // VT_EMPTY, as VariantInit makes it
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    VARIANT root = {};
    long hwnd = 0;
    UniqueCom<IDispatch> desktop;
    // S_FALSE: no desktop window is registered.
    if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH,
                              desktop.Put()) != S_OK ||
        !desktop)
        return {};
    UniqueCom<IServiceProvider> services;
    if (FAILED(desktop.QueryTo(services))) return {};
    UniqueCom<IShellBrowser> browser;
    if (FAILED(services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(browser.Put()))))
        return {};
    UniqueCom<IShellView> shellView;
    if (FAILED(browser->QueryActiveShellView(shellView.Put())) || !shellView) return {};
    UniqueCom<IFolderView> view;
    if (FAILED(shellView.QueryTo(view))) return {};
    // The chain goes from the view back to ShellWindows, each link before the one that
    // handed it out; the view holds its own references to what it needs.
    shellView.Reset();
    browser.Reset();
    services.Reset();
    desktop.Reset();
    windows.Reset();
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

// A name the shell handed out, in wide characters (every character kept). Frees what
// the STRRET owned.
std::wstring WideName(STRRET& name, PCUITEMID_CHILD item) {
    switch (name.uType) {
        case STRRET_WSTR: {
            const win::UniqueCoTaskMem<wchar_t> text(name.pOleStr);
            return text ? std::wstring(text.Get()) : std::wstring();
        }
        case STRRET_OFFSET:
        case STRRET_CSTR: {
            const char* ansi = name.uType == STRRET_CSTR
                                   ? name.cStr
                                   : reinterpret_cast<const char*>(item) + name.uOffset;
            const int size = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
            if (size <= 1) return {};
            std::wstring wide(static_cast<size_t>(size), L'\0');
            MultiByteToWideChar(CP_ACP, 0, ansi, -1, &wide[0], size);
            wide.resize(static_cast<size_t>(size) - 1);
            return wide;
        }
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
    explicit ItemNames(IFolderView& view) : m_view(view) {
        using GetDesktopFolder = HRESULT(WINAPI*)(IShellFolder**);
        const HMODULE shell = Shell32();
        const FARPROC proc = shell ? GetProcAddress(shell, "SHGetDesktopFolder") : nullptr;
        const auto get = reinterpret_cast<GetDesktopFolder>(reinterpret_cast<void (*)()>(proc));
        if (!get || FAILED(get(m_here.Put()))) m_here.Reset();
    }
    ItemNames(const ItemNames&) = delete;
    ItemNames& operator=(const ItemNames&) = delete;

    std::string Of(PCUITEMID_CHILD item) {
        std::string name = m_here ? DisplayName(*m_here.Get(), item) : std::string();
        if (!name.empty()) return name;
        if (!m_viewFolder && !m_noViewFolder &&
            (FAILED(m_view.GetFolder(IID_PPV_ARGS(m_viewFolder.Put()))) || !m_viewFolder))
            m_noViewFolder = true;
        return m_viewFolder ? DisplayName(*m_viewFolder.Get(), item) : std::string();
    }

private:
    // Loaded the first time it is needed, not imported: the program's start-up does not
    // pay for it. Loaded once per process and deliberately never freed (so not owned by
    // a handle): once its folders have been used here, shell32 may have left work in
    // this process that outlives them (threads, cached objects, callbacks); unloading it
    // would leave those running code that is gone, and the crash could come before the
    // exit save. It also spares every restore a load and an unload.
    static HMODULE Shell32() {
        static const HMODULE shell = LoadLibraryW(L"shell32.dll");
        return shell;
    }

    IFolderView& m_view;
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

// Every item ID of the view in view order, fetched in batches; a view that does not
// enumerate is asked item by item. False when neither gives them.
bool ViewItems(IFolderView& view, OwnedItems& items, HRESULT& hr) {
    UniqueCom<IEnumIDList> list;
    hr = view.Items(SVGIO_ALLVIEW | SVGIO_FLAG_VIEWORDER, IID_PPV_ARGS(list.Put()));
    if (Unreachable(hr)) return false;
    if (SUCCEEDED(hr) && list) {
        constexpr ULONG kBatch = 1024;
        std::vector<PITEMID_CHILD> batch(kBatch);
        for (;;) {
            ULONG fetched = 0;
            hr = list->Next(kBatch, batch.data(), &fetched);
            if (FAILED(hr)) return false;
            for (ULONG i = 0; i < fetched && i < kBatch; ++i) items.emplace_back(batch[i]);
            if (hr != S_OK || fetched == 0) return true;
        }
    }
    int count = 0;
    hr = view.ItemCount(SVGIO_ALLVIEW, &count);
    if (FAILED(hr)) return false;
    for (int i = 0; i < count; ++i) {
        win::UniqueCoTaskMem<ITEMID_CHILD> one;
        hr = view.Item(i, one.Put());
        if (Unreachable(hr)) return false;
        items.push_back(std::move(one));  // an item that failed stays empty
    }
    hr = S_OK;
    return true;
}

}  // namespace

struct ViewObject::Chain {
    UniqueCom<IFolderView> view;
    OwnedItems items;  // in view order
    // The list view hands out at most 99 bytes of a text (98 when a double-byte
    // character would be split).
    restore::ViewPairing pairing{static_cast<size_t>(kTextBufferSize) - 2};
    POINT offset = {0, 0};  // the view's coordinates less the list view's
    // The reading's pairing: the view item of each list-view item, kNoItem where none;
    // empty until a reading was paired.
    std::vector<int> paired;

    ~Chain() {
        items.clear();
        view.Reset();
    }

    // Nothing documented says the view's coordinates are the list view's client
    // coordinates (the view may count from another origin), and a whole commit sent off
    // by some pixels would move every icon: compare icons both ways. Only icons the
    // restore has not moved and will not move before the reading is done count: on
    // Windows 10 1809 and later the view's own position of an icon moved only by
    // list-view messages may lag behind the list view's, and a difference measured on
    // such an icon would shift every point of the commit, in the place the shell keeps.
    // First the items the plan never moves (`steady`); then, while the restore runs, the
    // last items, which it reaches last: it moves items in index order and publishes,
    // before its first position message to an item, how far it has come (`progress`), so
    // an item at or above that value stands where it stood, and did through the reading
    // when it still is after it. The offset is taken only when every icon measured, at
    // least two, shows the same difference (an icon this restore leaves alone may still
    // lag from an earlier move by list-view messages, or be dragged meanwhile);
    // otherwise the points go untranslated, which is right wherever the view counts as
    // the list view does.
    void CheckCoordinates(const std::vector<int>& steady, const std::atomic<int32_t>& progress) {
        Win32Desktop desk;
        const ViewId lv = desk.FindView();
        if (lv == 0) return;
        const std::unique_ptr<AccessContext> ctx = desk.OpenRemote(lv);
        if (!ctx) return;
        constexpr int kTries = 6;
        int tries = 0;
        int measured = 0;
        POINT first = {0, 0};
        // False when the measures disagree or the view object fails: no offset then.
        const auto measure = [&](int i, bool untilReached) {
            const int v = pairing.Pair(i, ctx->ReadText(i));
            if (v == restore::ViewPairing::kNoItem) return true;
            int32_t x = 0, y = 0;
            if (!ctx->ReadPosition(i, x, y)) return true;
            POINT there = {};
            if (FAILED(view->GetItemPosition(items[static_cast<size_t>(v)].Get(), &there)))
                return false;
            if (untilReached && i < progress.load()) return true;  // moved while being read
            const POINT difference = {there.x - x, there.y - y};
            if (measured > 0 && (difference.x != first.x || difference.y != first.y)) return false;
            first = difference;
            ++measured;
            return true;
        };
        for (auto it = steady.rbegin(); it != steady.rend() && tries < kTries; ++it, ++tries)
            if (desk.Lost() || !measure(*it, false)) return;
        const int count = desk.CountItems(lv);
        for (int i = count - 1; i >= 0 && tries < kTries && measured < 2; --i, ++tries) {
            if (desk.Lost() || i < progress.load()) break;  // and so is every item below it
            if (std::find(steady.begin(), steady.end(), i) != steady.end()) continue;
            if (!measure(i, true)) return;
        }
        if (measured >= 2) offset = first;
    }
};

ViewObject::ViewObject() {
    auto chain = std::make_unique<Chain>();
    chain->view = FindDesktopFolderView();
    if (!chain->view) return;
    HRESULT hr = S_OK;
    if (!ViewItems(*chain->view.Get(), chain->items, hr)) return;
    {
        ItemNames names(*chain->view.Get());
        for (const auto& item : chain->items)
            chain->pairing.Add(static_cast<bool>(item),
                               item ? names.Of(item.Get()) : std::string());
    }
    m_chain = std::move(chain);
}

ViewObject::~ViewObject() = default;

void ViewObject::CheckCoordinates(const std::vector<int>& steady,
                                  const std::atomic<int32_t>& progress) {
    // A view without items (Wine's own explorer answers so) pairs nothing: nothing to
    // measure, and no list-view message sent beside the restore's.
    if (m_chain && !m_chain->items.empty()) m_chain->CheckCoordinates(steady, progress);
}

bool ViewObject::StopArranging(const std::function<bool()>& mayCall) {
    if (!m_chain) return false;
    UniqueCom<IFolderView2> view2;
    if (FAILED(m_chain->view.QueryTo(view2)) || !view2) return false;
    DWORD flags = 0;
    if (FAILED(view2->GetCurrentFolderFlags(&flags))) return false;
    if ((flags & FWF_AUTOARRANGE) == 0) return true;
    if (!mayCall()) return false;
    return SUCCEEDED(view2->SetCurrentFolderFlags(FWF_AUTOARRANGE, 0));
}

bool ViewObject::Ready() const { return m_chain != nullptr; }

std::vector<std::wstring> ViewObject::PairReading(const std::vector<ReadIcon>& reading) {
    if (!m_chain) return {};
    Chain& chain = *m_chain;
    constexpr int kNo = restore::ViewPairing::kNoItem;
    const size_t n = reading.size();
    std::vector<int>& paired = chain.paired;
    paired.assign(n, kNo);
    std::vector<bool> taken(chain.items.size(), false);
    // By index or by a name only one view item has.
    for (size_t i = 0; i < n; ++i) {
        const int v = chain.pairing.Pair(static_cast<int>(i), reading[i].name);
        if (v == kNo || taken[static_cast<size_t>(v)]) continue;
        taken[static_cast<size_t>(v)] = true;
        paired[i] = v;
    }
    // Where the view counts its places from, on the items paired so far (a few, from
    // the last): only an offset that every one measured shows, at least two, is trusted.
    const auto place = [&](int v, POINT& at) {
        return SUCCEEDED(
            chain.view->GetItemPosition(chain.items[static_cast<size_t>(v)].Get(), &at));
    };
    constexpr int kTries = 6;
    int measured = 0, tries = 0;
    POINT offset = {0, 0};
    bool agree = true;
    for (size_t k = n; k-- > 0 && tries < kTries && agree;) {
        if (paired[k] == kNo) continue;
        ++tries;
        POINT at = {};
        if (!place(paired[k], at)) continue;
        const POINT d = {at.x - reading[k].x, at.y - reading[k].y};
        agree = measured == 0 || (d.x == offset.x && d.y == offset.y);
        offset = d;
        ++measured;
    }
    // Items of a name several view items have: by place.
    if (agree && measured >= 2) {
        for (size_t i = 0; i < n; ++i) {
            if (paired[i] != kNo) continue;
            for (const int v : chain.pairing.Named(reading[i].name)) {
                POINT at = {};
                if (taken[static_cast<size_t>(v)] || !place(v, at)) continue;
                if (at.x - offset.x != reading[i].x || at.y - offset.y != reading[i].y) continue;
                taken[static_cast<size_t>(v)] = true;
                paired[i] = v;
                break;
            }
        }
    }
    // Each paired item's parsing name, from the view's own folder: another folder (our
    // own process's desktop folder too) may read IDs it did not make differently.
    std::vector<std::wstring> names(n);
    UniqueCom<IShellFolder> folder;
    if (FAILED(chain.view->GetFolder(IID_PPV_ARGS(folder.Put()))) || !folder) return names;
    for (size_t i = 0; i < n; ++i) {
        if (paired[i] == kNo) continue;
        STRRET name = {};
        // SHGDN_FORPARSING alone: with SHGDN_INFOLDER the Public desktop's copy of an item
        // and the user's own read the same.
        const HRESULT hr = folder->GetDisplayNameOf(
            chain.items[static_cast<size_t>(paired[i])].Get(), SHGDN_FORPARSING, &name);
        if (Unreachable(hr)) break;
        if (FAILED(hr)) continue;
        names[i] = WideName(name, chain.items[static_cast<size_t>(paired[i])].Get());
    }
    return names;
}

size_t ViewObject::Tell(const std::vector<PlacedIcon>& icons,
                        const std::function<bool()>& mayCall) {
    if (!m_chain || icons.empty()) return 0;
    const Chain& chain = *m_chain;
    std::vector<bool> taken(chain.items.size(), false);
    std::vector<PCUITEMID_CHILD> items;
    std::vector<POINT> points;
    items.reserve(icons.size());
    points.reserve(icons.size());
    for (const PlacedIcon& icon : icons) {
        const size_t at = static_cast<size_t>(icon.index);
        const int v =
            !chain.paired.empty()
                ? (at < chain.paired.size() ? chain.paired[at] : restore::ViewPairing::kNoItem)
                : chain.pairing.Pair(icon.index, icon.text);
        if (v == restore::ViewPairing::kNoItem || taken[static_cast<size_t>(v)]) continue;
        taken[static_cast<size_t>(v)] = true;
        items.push_back(chain.items[static_cast<size_t>(v)].Get());
        points.push_back({icon.x + chain.offset.x, icon.y + chain.offset.y});
    }
    if (items.empty() || !mayCall()) return 0;
    const HRESULT hr = chain.view->SelectAndPositionItems(
        static_cast<UINT>(items.size()), items.data(), points.data(), SVSI_POSITIONITEM);
    return SUCCEEDED(hr) ? items.size() : 0;
}

}  // namespace desktop

// The view-object chain of the test desktop (see view_server.h). The objects live as
// long as the server (but the enumerators Items hands out); reference counts only keep
// COM's books. An item's ID is a real shell item ID of a desktop file of its file name,
// as the shell's desktop folder makes it from find data, with no file behind it (any
// process's desktop folder reads its name, as on Windows); the list-view index goes in
// as the file size, so that items of one name get apart IDs. Where the desktop folder
// cannot make an ID that reads back as the item's text, the item gets an ID of our own
// instead, which only this server understands. Log format, one SelectAndPositionItems
// call:
//   call FLAGS COUNT        (FLAGS in hex)
//   INDEX X Y               COUNT lines: the list-view index (-1: not an item of ours)
//                           and the point as the caller gave it (the view's coordinates)
// and one line per display name asked of the view's folder:
//   name INDEX              (any name but a parsing name)
//   parse INDEX             (SHGDN_FORPARSING)
#include "tools/test_desktop/view_object/view_server.h"

#include <commctrl.h>
#include <exdisp.h>
#include <servprov.h>
#include <shlguid.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/shell_browser/minimal_shell_browser.h"
#include "tools/test_desktop/code_page.h"
#include "tools/test_desktop/told_place.h"
#include "tools/test_desktop/view_object/folder_flags.h"
#include "tools/test_desktop/view_object/folder_view2_stubs.h"
#include "tools/test_desktop/view_object/ids.h"
#include "tools/test_desktop/view_object/kept_places.h"

namespace testdesk {

namespace {

const CLSID kServerClsid = TESTDESK_SHELL_WINDOWS_CLSID;
constexpr DWORD kItemMagic = 0x57564454;  // "TDVW"

#pragma pack(push, 1)
struct ItemId {
    USHORT cb;  // of this ID, the terminator not counted
    DWORD magic;
    LONG index;  // in the list view
    USHORT end;  // the list's terminator
};
#pragma pack(pop)

// The item ID handed out for a list-view item while its text stays the same.
struct CachedId {
    std::wstring text;
    std::string bytes;  // the whole list, terminator included
    bool own = false;   // an ID of ours, not the desktop folder's
};

struct Server {
    HWND progman = nullptr;
    HWND listView = nullptr;
    ViewObjectMode mode = ViewObjectMode::kNone;
    std::string logPath;
    std::FILE* log = nullptr;
    IShellFolder* desktop = nullptr;      // this process's own desktop folder
    std::vector<CachedId> ids;            // by list-view index
    std::vector<std::wstring> fileNames;  // by list-view index, where given
    std::map<std::string, int> indexOfId;
    std::vector<POINT> viewPlaces;  // kLagging: where the view put each item, by index
};
Server g_server;

int CountItems() {
    return static_cast<int>(SendMessageW(g_server.listView, LVM_GETITEMCOUNT, 0, 0));
}

// View index <-> list-view index (the mapping is its own inverse).
int ListViewIndex(int viewIndex) {
    if (g_server.mode != ViewObjectMode::kReordered) return viewIndex;
    const int other = viewIndex ^ 1;
    return other < CountItems() ? other : viewIndex;
}

// The view's coordinates from the list view's and back.
POINT FromListView(POINT pt) {
    if (g_server.mode != ViewObjectMode::kOffset) return pt;
    return {pt.x + kViewOffsetX, pt.y + kViewOffsetY};
}
POINT ToListView(POINT pt) {
    if (g_server.mode != ViewObjectMode::kOffset) return pt;
    return {pt.x - kViewOffsetX, pt.y - kViewOffsetY};
}

std::wstring ItemText(int index) {
    wchar_t text[1024] = {};
    LVITEMW item = {};
    item.pszText = text;
    item.cchTextMax = ARRAYSIZE(text);
    SendMessageW(g_server.listView, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

size_t IdBytes(PCUIDLIST_RELATIVE pidl) {
    const BYTE* p = reinterpret_cast<const BYTE*>(pidl);
    size_t size = 0;
    for (;;) {
        USHORT cb;
        std::memcpy(&cb, p + size, sizeof cb);
        if (cb == 0) return size + sizeof cb;
        size += cb;
    }
}

// The find data ParseDisplayName takes from the bind context in place of a file's.
class FindData : public IFileSystemBindData {
public:
    explicit FindData(const WIN32_FIND_DATAW& data) : m_data(data) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid != IID_IUnknown && riid != IID_IFileSystemBindData) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IFileSystemBindData*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_refs; }  // on the caller's stack
    HRESULT STDMETHODCALLTYPE SetFindData(const WIN32_FIND_DATAW* data) override {
        m_data = *data;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFindData(WIN32_FIND_DATAW* data) override {
        *data = m_data;
        return S_OK;
    }

private:
    WIN32_FIND_DATAW m_data;
    ULONG m_refs = 1;
};

// The file name list-view item `index` stands for.
std::wstring FileName(int index) {
    const auto at = static_cast<size_t>(index);
    return at < g_server.fileNames.size() && !g_server.fileNames[at].empty()
               ? g_server.fileNames[at]
               : ItemText(index);
}

// The desktop folder's item ID for a file named `file` on the desktop, if it is a single
// ID whose display name reads as `text` (the item's text) in the list view, which holds
// it in the ANSI code page; "" otherwise.
std::string ShellItemId(const std::wstring& file, const std::wstring& text, int index) {
    if (!g_server.desktop || file.empty() || file.size() >= MAX_PATH) return {};
    WIN32_FIND_DATAW data = {};
    data.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    data.nFileSizeLow = static_cast<DWORD>(index);
    std::memcpy(data.cFileName, file.c_str(), (file.size() + 1) * sizeof(wchar_t));
    FindData findData(data);
    IBindCtx* context = nullptr;
    if (FAILED(CreateBindCtx(0, &context))) return {};
    std::string bytes;
    PIDLIST_RELATIVE pidl = nullptr;
    std::wstring name = file;
    if (SUCCEEDED(context->RegisterObjectParam(const_cast<LPOLESTR>(STR_FILE_SYS_BIND_DATA),
                                               &findData)) &&
        SUCCEEDED(g_server.desktop->ParseDisplayName(nullptr, context, &name[0], nullptr, &pidl,
                                                     nullptr)) &&
        pidl && pidl->mkid.cb != 0 && IdBytes(pidl) == pidl->mkid.cb + sizeof(USHORT)) {
        STRRET shown = {};
        const auto child = reinterpret_cast<PCUITEMID_CHILD>(pidl);
        if (SUCCEEDED(
                g_server.desktop->GetDisplayNameOf(child, SHGDN_INFOLDER | SHGDN_NORMAL, &shown)) &&
            shown.uType == STRRET_WSTR) {
            if (text == ToWide(FromWide(shown.pOleStr)))
                bytes.assign(reinterpret_cast<const char*>(pidl), IdBytes(pidl));
            CoTaskMemFree(shown.pOleStr);
        }
    }
    CoTaskMemFree(pidl);
    context->Release();
    return bytes;
}

// An ID of our own for the item: the desktop folder has none that reads as its text.
std::string OwnItemId(int index) {
    const ItemId id = {static_cast<USHORT>(offsetof(ItemId, end)), kItemMagic, index, 0};
    return std::string(reinterpret_cast<const char*>(&id), sizeof id);
}

// The item ID of a list-view item, made anew only when its text changed.
const std::string& IdOf(int index) {
    if (g_server.ids.size() <= static_cast<size_t>(index)) g_server.ids.resize(index + 1);
    CachedId& cached = g_server.ids[index];
    std::wstring text = ItemText(index);
    if (cached.bytes.empty() || cached.text != text) {
        g_server.indexOfId.erase(cached.bytes);
        cached.bytes = ShellItemId(FileName(index), text, index);
        cached.own = cached.bytes.empty();
        if (cached.own) cached.bytes = OwnItemId(index);
        cached.text = std::move(text);
        g_server.indexOfId[cached.bytes] = index;
    }
    return cached.bytes;
}

// The list-view index an item ID names, or -1.
int IndexOf(PCUITEMID_CHILD pidl) {
    if (!pidl) return -1;
    const std::string bytes(reinterpret_cast<const char*>(pidl), IdBytes(pidl));
    const auto found = g_server.indexOfId.find(bytes);
    if (found == g_server.indexOfId.end()) return -1;
    const int index = found->second;
    return index < CountItems() && IdOf(index) == bytes ? index : -1;
}

PITEMID_CHILD CopyOf(const std::string& bytes) {
    auto* id = static_cast<PITEMID_CHILD>(CoTaskMemAlloc(bytes.size()));
    if (id) std::memcpy(id, bytes.data(), bytes.size());
    return id;
}

void OpenLog() {
    if (g_server.log) std::fclose(g_server.log);
    g_server.log = g_server.logPath.empty() ? nullptr : std::fopen(g_server.logPath.c_str(), "wb");
}

void LogNameRequest(const char* kind, int index) {
    if (!g_server.log) return;
    std::fprintf(g_server.log, "%s %d\n", kind, index);
    std::fflush(g_server.log);
}

void LogCall(UINT count, PCUITEMID_CHILD_ARRAY items, const POINT* points, DWORD flags) {
    if (!g_server.log) return;
    std::fprintf(g_server.log, "call %lx %u\n", static_cast<unsigned long>(flags), count);
    for (UINT i = 0; i < count; ++i) {
        const POINT pt = points ? points[i] : POINT{};
        std::fprintf(g_server.log, "%d %ld %ld\n", IndexOf(items[i]), static_cast<long>(pt.x),
                     static_cast<long>(pt.y));
    }
    std::fflush(g_server.log);
}

// A view object that keeps its answer for `ms` (INFINITE: never answers) while the
// desktop's windows go on working; false when the desktop is told to close meanwhile
// (the quit message is passed on).
bool Stall(DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const DWORD waited = GetTickCount() - start;
        if (ms != INFINITE && waited >= ms) return true;
        MsgWaitForMultipleObjectsEx(0, nullptr, ms == INFINITE ? INFINITE : ms - waited,
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

// IUnknown for objects that live as long as the server.
#define TESTDESK_STATIC_REFCOUNT                            \
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; } \
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

// IDispatch with nothing to automate: the chain only needs the interface to pass.
#define TESTDESK_NO_AUTOMATION                                                                    \
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {                            \
        *count = 0;                                                                               \
        return S_OK;                                                                              \
    }                                                                                             \
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; } \
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {    \
        return E_NOTIMPL;                                                                         \
    }                                                                                             \
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,           \
                                     EXCEPINFO*, UINT*) override {                                \
        return E_NOTIMPL;                                                                         \
    }

HRESULT NoInterface(void** ppv) {
    if (ppv) *ppv = nullptr;
    return E_NOINTERFACE;
}

// A name handed out as the shell's folders hand theirs out: a wide string of the task
// allocator.
HRESULT Answer(const std::wstring& text, STRRET* name) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
    if (!copy) return E_OUTOFMEMORY;
    std::memcpy(copy, text.c_str(), bytes);
    name->uType = STRRET_WSTR;
    name->pOleStr = copy;
    return S_OK;
}

class Folder : public IShellFolder {
public:
    TESTDESK_STATIC_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid != IID_IUnknown && riid != IID_IShellFolder) return NoInterface(ppv);
        *ppv = static_cast<IShellFolder*>(this);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*,
                                               ULONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID,
                                            void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE a,
                                         PCUIDLIST_RELATIVE b) override {
        const int ia = IndexOf(a), ib = IndexOf(b);
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(ia < ib ? -1 : ia > ib));
    }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*,
                                            void**) override {
        return E_NOTIMPL;
    }
    // A parsing name as the desktop folder gives it for the ID (the file's full path;
    // with SHGDN_INFOLDER its file name); any other name is the text under the icon, as
    // the list view holds it.
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF flags,
                                               STRRET* name) override {
        const bool parsing = (flags & SHGDN_FORPARSING) != 0;
        const int index = IndexOf(pidl);
        LogNameRequest(parsing ? "parse" : "name", index);
        if (parsing && g_server.mode == ViewObjectMode::kNamesHang) {
            Stall(INFINITE);  // returns only when the desktop closes
            return E_FAIL;
        }
        if (!name) return E_POINTER;
        // What crosses back when the call fails: no string for the stub to free.
        name->uType = STRRET_CSTR;
        name->cStr[0] = '\0';
        if (index < 0) return E_INVALIDARG;
        if (parsing && !g_server.ids[static_cast<size_t>(index)].own)
            return g_server.desktop->GetDisplayNameOf(pidl, flags, name);
        std::wstring text = ItemText(index);
        if (parsing) {
            text = FileName(index);
            wchar_t dir[MAX_PATH] = {};
            if (!(flags & SHGDN_INFOLDER) &&
                SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, dir)))
                text = std::wstring(dir) + L"\\" + text;
        }
        return Answer(text, name);
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF,
                                        PITEMID_CHILD*) override {
        return E_NOTIMPL;
    }
};
Folder g_folder;

// The view's item IDs as Items hands them out: a snapshot, owned by its references.
class ItemList final : public IEnumIDList {
public:
    explicit ItemList(std::vector<std::string> ids, size_t next = 0)
        : m_ids(std::move(ids)), m_next(next) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid != IID_IUnknown && riid != IID_IEnumIDList) return NoInterface(ppv);
        *ppv = static_cast<IEnumIDList*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG refs = --m_refs;
        if (refs == 0) delete this;
        return refs;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, PITEMID_CHILD* ids, ULONG* fetched) override {
        ULONG n = 0;
        for (; n < count && m_next < m_ids.size(); ++n, ++m_next) {
            ids[n] = CopyOf(m_ids[m_next]);
            if (!ids[n]) {
                while (n > 0) CoTaskMemFree(ids[--n]);
                if (fetched) *fetched = 0;
                return E_OUTOFMEMORY;
            }
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const size_t left = m_ids.size() - m_next;
        m_next += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        m_next = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumIDList** copy) override {
        *copy = new ItemList(m_ids, m_next);
        return S_OK;
    }

private:
    std::vector<std::string> m_ids;
    size_t m_next;
    ULONG m_refs = 1;
};

class View : public IShellView, public IFolderView2 {
public:
    TESTDESK_STATIC_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IShellView)
            *ppv = static_cast<IShellView*>(this);
        else if (riid == IID_IFolderView || riid == IID_IFolderView2)
            *ppv = static_cast<IFolderView2*>(this);
        else
            return NoInterface(ppv);
        return S_OK;
    }
    // IOleWindow, IShellView
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override {
        *hwnd = GetParent(g_server.listView);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE EnableModeless(WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UIActivate(UINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Refresh() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE CreateViewWindow(IShellView*, LPCFOLDERSETTINGS, IShellBrowser*,
                                               RECT*, HWND*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DestroyViewWindow() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentInfo(LPFOLDERSETTINGS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddPropertySheetPages(DWORD, LPFNSVADDPROPSHEETPAGE,
                                                    LPARAM) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SaveViewState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectItem(PCUITEMID_CHILD, SVSIF) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemObject(UINT, REFIID, void**) override { return E_NOTIMPL; }
    // IFolderView
    HRESULT STDMETHODCALLTYPE GetCurrentViewMode(UINT* mode) override {
        *mode = FVM_ICON;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetCurrentViewMode(UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFolder(REFIID riid, void** ppv) override {
        return g_folder.QueryInterface(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE Item(int viewIndex, PITEMID_CHILD* pidl) override {
        *pidl = nullptr;
        if (viewIndex < 0 || viewIndex >= CountItems()) return E_INVALIDARG;
        *pidl = CopyOf(IdOf(ListViewIndex(viewIndex)));
        return *pidl ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE ItemCount(UINT, int* count) override {
        *count = CountItems();
        return S_OK;
    }
    // All items, in view order whatever the flags ask (it is the only order there is).
    HRESULT STDMETHODCALLTYPE Items(UINT flags, REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if ((flags & SVGIO_TYPE_MASK) != SVGIO_ALLVIEW) return E_INVALIDARG;
        if (riid != IID_IEnumIDList) return E_NOINTERFACE;
        std::vector<std::string> ids;
        for (int v = 0, n = CountItems(); v < n; ++v) ids.push_back(IdOf(ListViewIndex(v)));
        *ppv = static_cast<IEnumIDList*>(new ItemList(std::move(ids)));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSelectionMarkedItem(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFocusedItem(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemPosition(PCUITEMID_CHILD pidl, POINT* pt) override {
        const int index = IndexOf(pidl);
        if (index < 0) return E_INVALIDARG;
        SendMessageW(g_server.listView, LVM_GETITEMPOSITION, index, reinterpret_cast<LPARAM>(pt));
        if (g_server.mode == ViewObjectMode::kLagging &&
            static_cast<size_t>(index) < g_server.viewPlaces.size())
            *pt = g_server.viewPlaces[index];
        *pt = FromListView(*pt);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSpacing(POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDefaultSpacing(POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAutoArrange() override {
        return (CurrentFolderFlags() & FWF_AUTOARRANGE) ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE SelectItem(int, DWORD) override { return E_NOTIMPL; }
    // Logged, then applied as the desktop places what it is told (told_place.h) with
    // LVM_SETITEMPOSITION32, which the list view's own log leaves out (or, when the view
    // object hangs, never answered).
    HRESULT STDMETHODCALLTYPE SelectAndPositionItems(UINT count, PCUITEMID_CHILD_ARRAY items,
                                                     POINT* points, DWORD flags) override {
        LogCall(count, items, points, flags);
        if (g_server.mode == ViewObjectMode::kHangs) {
            Stall(INFINITE);  // returns only when the desktop closes
            return E_FAIL;
        }
        if (!(flags & SVSI_POSITIONITEM) || !points) return S_OK;
        for (UINT i = 0; i < count; ++i) {
            const int index = IndexOf(items[i]);
            if (index < 0) continue;
            POINT pt = ToListView(points[i]);
            if (!PlaceTold(g_server.listView, index, pt)) continue;
            SendMessageW(g_server.listView, LVM_SETITEMPOSITION32, index,
                         reinterpret_cast<LPARAM>(&pt));
            if (static_cast<size_t>(index) < g_server.viewPlaces.size())
                g_server.viewPlaces[index] = pt;
            KeepToldPlace(index, pt);
        }
        SaveKeptPlaces();
        return S_OK;
    }
    // IFolderView2: the folder flags, in step with the list view's style.
    HRESULT STDMETHODCALLTYPE SetCurrentFolderFlags(DWORD mask, DWORD flags) override {
        SetFolderFlags(mask, flags);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCurrentFolderFlags(DWORD* flags) override {
        if (!flags) return E_POINTER;
        *flags = CurrentFolderFlags();
        return S_OK;
    }
    TESTDESK_FOLDER_VIEW2_NOT_IMPLEMENTED
};
View g_view;

// The desktop's browser, as FindWindowSW hands it out: a dispatch object that offers
// the top-level browser service.
class Browser : public IDispatch, public IServiceProvider, public MinimalShellBrowser {
public:
    TESTDESK_STATIC_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch)
            *ppv = static_cast<IDispatch*>(this);
        else if (riid == IID_IServiceProvider)
            *ppv = static_cast<IServiceProvider*>(this);
        else if (riid == IID_IOleWindow || riid == IID_IShellBrowser)
            *ppv = static_cast<IShellBrowser*>(this);
        else
            return NoInterface(ppv);
        return S_OK;
    }
    TESTDESK_NO_AUTOMATION
    // IServiceProvider
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** ppv) override {
        if (service != SID_STopLevelBrowser && service != SID_SShellBrowser)
            return NoInterface(ppv);
        return QueryInterface(riid, ppv);
    }
    // IOleWindow, IShellBrowser
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override {
        *hwnd = g_server.progman;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellView** view) override {
        *view = static_cast<IShellView*>(&g_view);
        return S_OK;
    }
};
Browser g_browser;

class ShellWindows : public IShellWindows {
public:
    TESTDESK_STATIC_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid != IID_IUnknown && riid != IID_IDispatch && riid != IID_IShellWindows)
            return NoInterface(ppv);
        *ppv = static_cast<IShellWindows*>(this);
        return S_OK;
    }
    TESTDESK_NO_AUTOMATION
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
        *count = 0;  // no folder windows, only the desktop
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(VARIANT, IDispatch** folder) override {
        *folder = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Register(IDispatch*, LONG, int, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterPending(LONG, VARIANT*, VARIANT*, int, LONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Revoke(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnNavigate(LONG, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnActivated(LONG, VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindWindowSW(VARIANT*, VARIANT*, int swClass, LONG* hwnd, int options,
                                           IDispatch** dispatch) override {
        if (dispatch) *dispatch = nullptr;
        if (hwnd) *hwnd = 0;
        if (swClass != SWC_DESKTOP) return S_FALSE;
        if (g_server.mode == ViewObjectMode::kLate && !Stall(kLateViewMs)) return E_FAIL;
        if (hwnd) *hwnd = static_cast<LONG>(reinterpret_cast<LONG_PTR>(g_server.progman));
        if ((options & SWFO_NEEDDISPATCH) && dispatch)
            *dispatch = static_cast<IDispatch*>(&g_browser);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnCreated(LONG, IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ProcessAttachDetach(VARIANT_BOOL) override { return E_NOTIMPL; }
};
ShellWindows g_shellWindows;

class Factory : public IClassFactory {
public:
    TESTDESK_STATIC_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid != IID_IUnknown && riid != IID_IClassFactory) return NoInterface(ppv);
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        return g_shellWindows.QueryInterface(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE LockServer(WINBOOL) override { return S_OK; }
};
Factory g_factory;

}  // namespace

bool ViewObjectServer::Start(HWND progman, HWND listView, ViewObjectMode mode,
                             const std::string& logPath, std::vector<std::wstring> fileNames) {
    if (mode == ViewObjectMode::kNone) return true;
    g_server.fileNames = std::move(fileNames);
    g_server.progman = progman;
    g_server.listView = listView;
    g_server.mode = mode;
    g_server.logPath = logPath;
    OpenLog();
    m_comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (!m_comStarted) return false;
    if (FAILED(SHGetDesktopFolder(&g_server.desktop))) g_server.desktop = nullptr;
    return SUCCEEDED(CoRegisterClassObject(kServerClsid, &g_factory, CLSCTX_LOCAL_SERVER,
                                           REGCLS_MULTIPLEUSE, &m_cookie));
}

void ViewObjectServer::LaidOut() {
    g_server.viewPlaces.resize(static_cast<size_t>(CountItems()));
    for (size_t i = 0; i < g_server.viewPlaces.size(); ++i)
        SendMessageW(g_server.listView, LVM_GETITEMPOSITION, i,
                     reinterpret_cast<LPARAM>(&g_server.viewPlaces[i]));
}

void ViewObjectServer::Stop() {
    if (m_cookie) CoRevokeClassObject(m_cookie);
    m_cookie = 0;
    if (g_server.desktop) g_server.desktop->Release();
    g_server.desktop = nullptr;
    g_server.ids.clear();
    g_server.fileNames.clear();
    g_server.indexOfId.clear();
    g_server.viewPlaces.clear();
    if (m_comStarted) CoUninitialize();
    m_comStarted = false;
    if (g_server.log) std::fclose(g_server.log);
    g_server.log = nullptr;
}

void ViewObjectServer::ClearLog() { OpenLog(); }

}  // namespace testdesk

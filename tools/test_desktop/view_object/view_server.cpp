// The view-object chain of the test desktop (see view_server.h). The objects live as
// long as the server; reference counts only keep COM's books. Log format, one call:
//   call FLAGS COUNT        (FLAGS in hex)
//   INDEX X Y               COUNT lines: the list-view index (-1: not an item of ours)
#include "tools/test_desktop/view_object/view_server.h"

#include <commctrl.h>
#include <exdisp.h>
#include <servprov.h>
#include <shlguid.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/test_desktop/view_object/ids.h"

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

struct Server {
    HWND progman = nullptr;
    HWND listView = nullptr;
    ViewObjectMode mode = ViewObjectMode::kNone;
    std::string logPath;
    std::FILE* log = nullptr;
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

// The list-view index an item ID names, or -1.
int IndexOf(PCUITEMID_CHILD pidl) {
    if (!pidl) return -1;
    ItemId id;
    std::memcpy(&id, pidl, sizeof id);
    if (id.cb != offsetof(ItemId, end) || id.magic != kItemMagic || id.end != 0) return -1;
    return id.index >= 0 && id.index < CountItems() ? static_cast<int>(id.index) : -1;
}

PITEMID_CHILD MakeItemId(int listViewIndex) {
    auto* id = static_cast<ItemId*>(CoTaskMemAlloc(sizeof(ItemId)));
    if (!id) return nullptr;
    *id = {static_cast<USHORT>(offsetof(ItemId, end)), kItemMagic, listViewIndex, 0};
    return reinterpret_cast<PITEMID_CHILD>(id);
}

void OpenLog() {
    if (g_server.log) std::fclose(g_server.log);
    g_server.log = g_server.logPath.empty() ? nullptr : std::fopen(g_server.logPath.c_str(), "wb");
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

// A view object that never answers, while the desktop's windows go on working; it
// gives up only when the desktop is told to close (the quit message is passed on).
HRESULT Hang() {
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return E_FAIL;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        WaitMessage();
    }
}

// IUnknown for objects that live as long as the server.
#define TESTDESK_STATIC_REFCOUNT                            \
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; } \
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

HRESULT NoInterface(void** ppv) {
    if (ppv) *ppv = nullptr;
    return E_NOINTERFACE;
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
    // The text under the icon, as the list view holds it.
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF,
                                               STRRET* name) override {
        const int index = IndexOf(pidl);
        if (index < 0 || !name) return E_INVALIDARG;
        wchar_t text[1024] = {};
        LVITEMW item = {};
        item.pszText = text;
        item.cchTextMax = ARRAYSIZE(text);
        SendMessageW(g_server.listView, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
        const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
        auto* copy = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
        if (!copy) return E_OUTOFMEMORY;
        std::memcpy(copy, text, bytes);
        name->uType = STRRET_WSTR;
        name->pOleStr = copy;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF,
                                        PITEMID_CHILD*) override {
        return E_NOTIMPL;
    }
};
Folder g_folder;

class View : public IShellView, public IFolderView {
public:
    TESTDESK_STATIC_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IShellView)
            *ppv = static_cast<IShellView*>(this);
        else if (riid == IID_IFolderView)
            *ppv = static_cast<IFolderView*>(this);
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
        *pidl = MakeItemId(ListViewIndex(viewIndex));
        return *pidl ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE ItemCount(UINT, int* count) override {
        *count = CountItems();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Items(UINT, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSelectionMarkedItem(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFocusedItem(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemPosition(PCUITEMID_CHILD pidl, POINT* pt) override {
        const int index = IndexOf(pidl);
        if (index < 0) return E_INVALIDARG;
        SendMessageW(g_server.listView, LVM_GETITEMPOSITION, index, reinterpret_cast<LPARAM>(pt));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSpacing(POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDefaultSpacing(POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAutoArrange() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE SelectItem(int, DWORD) override { return E_NOTIMPL; }
    // Logged, then applied with LVM_SETITEMPOSITION32, which the list view's own log
    // leaves out (or, when the view object hangs, never answered).
    HRESULT STDMETHODCALLTYPE SelectAndPositionItems(UINT count, PCUITEMID_CHILD_ARRAY items,
                                                     POINT* points, DWORD flags) override {
        LogCall(count, items, points, flags);
        if (g_server.mode == ViewObjectMode::kHangs) return Hang();
        if (!(flags & SVSI_POSITIONITEM) || !points) return S_OK;
        for (UINT i = 0; i < count; ++i) {
            const int index = IndexOf(items[i]);
            if (index < 0) continue;
            POINT pt = points[i];
            SendMessageW(g_server.listView, LVM_SETITEMPOSITION32, index,
                         reinterpret_cast<LPARAM>(&pt));
        }
        return S_OK;
    }
};
View g_view;

// The desktop's browser, as FindWindowSW hands it out: a dispatch object that offers
// the top-level browser service.
class Browser : public IDispatch, public IServiceProvider, public IShellBrowser {
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
    // IDispatch: nothing to automate.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
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
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetMenuSB(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveMenusSB(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusTextSB(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnableModelessSB(WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAcceleratorSB(MSG*, WORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BrowseObject(PCUIDLIST_RELATIVE, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetViewStateStream(DWORD, IStream**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetControlWindow(UINT, HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellView** view) override {
        *view = static_cast<IShellView*>(&g_view);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnViewWindowActive(IShellView*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetToolbarItems(LPTBBUTTONSB, UINT, UINT) override {
        return E_NOTIMPL;
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
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
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
                             const std::string& logPath) {
    if (mode == ViewObjectMode::kNone) return true;
    g_server.progman = progman;
    g_server.listView = listView;
    g_server.mode = mode;
    g_server.logPath = logPath;
    OpenLog();
    m_comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (!m_comStarted) return false;
    return SUCCEEDED(CoRegisterClassObject(kServerClsid, &g_factory, CLSCTX_LOCAL_SERVER,
                                           REGCLS_MULTIPLEUSE, &m_cookie));
}

void ViewObjectServer::Stop() {
    if (m_cookie) CoRevokeClassObject(m_cookie);
    m_cookie = 0;
    if (m_comStarted) CoUninitialize();
    m_comStarted = false;
    if (g_server.log) std::fclose(g_server.log);
    g_server.log = nullptr;
}

void ViewObjectServer::ClearLog() { OpenLog(); }

}  // namespace testdesk

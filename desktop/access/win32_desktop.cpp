// The Win32 desktop: thin glue from the desktop operations to the list-view messages
// and the two access schemes.
#include "desktop/access/win32_desktop.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "desktop/access/find_view.h"
#include "desktop/access/remote_block.h"
#include "desktop/access/shared_block.h"
#include "desktop/access/view_style.h"

namespace desktop {

namespace {

HWND ToHwnd(ViewId view) { return reinterpret_cast<HWND>(view); }

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info))
        reinterpret_cast<std::vector<RECT>*>(param)->push_back(info.rcWork);
    return TRUE;
}

// Each monitor's work area in the view's client coordinates, cut to its client area.
// On Windows the desktop's list view spans the virtual screen, whose origin may lie
// left of or above the primary monitor's, so the screen's coordinates are mapped.
std::vector<Area> VisibleAreas(HWND view) {
    std::vector<RECT> work;
    EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&work));
    RECT client{};
    if (!GetClientRect(view, &client)) return {};
    std::vector<Area> areas;
    for (RECT r : work) {
        MapWindowPoints(nullptr, view, reinterpret_cast<POINT*>(&r), 2);
        RECT cut{};
        if (!IntersectRect(&cut, &r, &client)) continue;
        areas.push_back({cut.left, cut.top, cut.right, cut.bottom});
    }
    return areas;
}

class RemoteContext : public AccessContext {
public:
    RemoteContext(ViewLink& view, win::UniqueRemoteMemory block)
        : m_view(view), m_block(std::move(block)) {}
    ~RemoteContext() override {
        if (!m_view.MayStillBeAnswered()) return;
        // The message that timed out may still be in the shell's hands: when the shell
        // wakes, it writes its answer into this block. Freeing the block would make it
        // write into freed memory, which crashes Explorer. So the block stays allocated
        // (4 KB in the shell, once per hang) and only the process handle is closed.
        win::UniqueHandle process(m_block.Release().process);
    }
    std::string ReadText(int index) override {
        return ReadRemoteItemText(m_view, m_block.Get().process, m_block.Get().address, index);
    }
    bool ReadPosition(int index, int32_t& x, int32_t& y) override {
        return ReadRemoteItemPosition(m_view, m_block.Get().process, m_block.Get().address, index,
                                      x, y);
    }

private:
    ViewLink& m_view;
    win::UniqueRemoteMemory m_block;
};

class SharedContext : public AccessContext {
public:
    SharedContext(ViewLink& view, SharedAccess access)
        : m_view(view), m_access(std::move(access)) {}
    std::string ReadText(int) override { return {}; }  // the 9x scheme reads no texts
    bool ReadPosition(int index, int32_t& x, int32_t& y) override {
        return ReadSharedItemPosition(m_view, m_access.view.Get(), index, x, y);
    }

private:
    ViewLink& m_view;
    SharedAccess m_access;
};

}  // namespace

ViewId Win32Desktop::FindView() {
    m_link = ViewLink(FindDesktopListView());
    return reinterpret_cast<ViewId>(m_link.View());
}

ViewLink& Win32Desktop::Link(ViewId view) {
    if (ToHwnd(view) != m_link.View()) m_link = ViewLink(ToHwnd(view));  // a view found elsewhere
    return m_link;
}

int Win32Desktop::CountItems(ViewId view) {
    return static_cast<int>(Link(view).SendOr(LVM_GETITEMCOUNT, 0, 0, 0));
}

std::unique_ptr<AccessContext> Win32Desktop::OpenRemote(ViewId view) {
    win::UniqueRemoteMemory block = OpenRemoteBlock(ToHwnd(view));
    if (!block) return nullptr;
    return std::make_unique<RemoteContext>(Link(view), std::move(block));
}

std::unique_ptr<AccessContext> Win32Desktop::OpenShared(ViewId view) {
    SharedAccess access;
    if (!OpenSharedAccess(access)) return nullptr;
    return std::make_unique<SharedContext>(Link(view), std::move(access));
}

Screen Win32Desktop::ReadScreen(ViewId view) {
    Screen screen;
    const LRESULT spacing = Link(view).SendOr(LVM_GETITEMSPACING, FALSE, 0, 0);
    screen.iconCx = LOWORD(static_cast<DWORD>(spacing));
    screen.iconCy = HIWORD(static_cast<DWORD>(spacing));
    if (!Link(view).Lost()) screen.visible = VisibleAreas(ToHwnd(view));
    return screen;
}

bool Win32Desktop::SetPosition(ViewId view, int index, int32_t x, int32_t y) {
    // Only the low 16 bits of each coordinate travel.
    return Link(view).SendOr(LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
                             MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)), 0) != 0;
}

bool Win32Desktop::ReadExtendedStyle(ViewId view, uint32_t& style) {
    LRESULT answer = 0;
    if (!Link(view).Send(LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, answer)) return false;
    style = static_cast<uint32_t>(answer);
    return true;
}

bool Win32Desktop::SetExtendedStyle(ViewId view, uint32_t mask, uint32_t style, bool evenIfLost) {
    LRESULT ignored = 0;
    if (!evenIfLost || !Link(view).Lost())
        return Link(view).Send(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, style, ignored);
    ViewLink own(ToHwnd(view));
    return own.Send(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, style, ignored);
}

bool Win32Desktop::ArrangesItself(ViewId view) { return desktop::ArrangesItself(ToHwnd(view)); }

void Win32Desktop::StopArranging(ViewId view) { desktop::StopArranging(ToHwnd(view)); }

}  // namespace desktop

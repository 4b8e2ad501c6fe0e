// The Win32 desktop: thin glue from the desktop operations to the list-view messages
// and the two access schemes.
#include "desktop/access/win32_desktop.h"

#include <windows.h>
#include <commctrl.h>

#include "desktop/access/find_view.h"
#include "desktop/access/remote_block.h"
#include "desktop/access/shared_block.h"

namespace desktop {

namespace {

HWND ToHwnd(ViewId view) { return reinterpret_cast<HWND>(view); }

class RemoteContext : public AccessContext {
public:
    RemoteContext(HWND view, win::UniqueRemoteMemory block)
        : m_view(view), m_block(std::move(block)) {}
    std::string ReadText(int index) override {
        return ReadRemoteItemText(m_view, m_block.Get().process, m_block.Get().address, index);
    }
    bool ReadPosition(int index, int32_t& x, int32_t& y) override {
        return ReadRemoteItemPosition(m_view, m_block.Get().process, m_block.Get().address, index,
                                      x, y);
    }

private:
    HWND m_view;
    win::UniqueRemoteMemory m_block;
};

class SharedContext : public AccessContext {
public:
    SharedContext(HWND view, SharedAccess access) : m_view(view), m_access(std::move(access)) {}
    std::string ReadText(int) override { return {}; }  // the 9x scheme reads no texts
    bool ReadPosition(int index, int32_t& x, int32_t& y) override {
        return ReadSharedItemPosition(m_view, m_access.view.Get(), index, x, y);
    }

private:
    HWND m_view;
    SharedAccess m_access;
};

}  // namespace

ViewId Win32Desktop::FindView() { return reinterpret_cast<ViewId>(FindDesktopListView()); }

int Win32Desktop::CountItems(ViewId view) {
    return static_cast<int>(SendMessageA(ToHwnd(view), LVM_GETITEMCOUNT, 0, 0));
}

std::unique_ptr<AccessContext> Win32Desktop::OpenRemote(ViewId view) {
    win::UniqueRemoteMemory block = OpenRemoteBlock(ToHwnd(view));
    if (!block) return nullptr;
    return std::make_unique<RemoteContext>(ToHwnd(view), std::move(block));
}

std::unique_ptr<AccessContext> Win32Desktop::OpenShared(ViewId view) {
    SharedAccess access;
    if (!OpenSharedAccess(access)) return nullptr;
    return std::make_unique<SharedContext>(ToHwnd(view), std::move(access));
}

void Win32Desktop::SetPosition(ViewId view, int index, int32_t x, int32_t y) {
    // Only the low 16 bits of each coordinate travel.
    SendMessageA(ToHwnd(view), LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
                 MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

}  // namespace desktop

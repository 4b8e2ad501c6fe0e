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

void Win32Desktop::SetPosition(ViewId view, int index, int32_t x, int32_t y) {
    // Only the low 16 bits of each coordinate travel.
    Link(view).SendOr(LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
                      MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)), 0);
}

}  // namespace desktop

// desktop::Desktop on the real Windows shell: the list view found under Progman (or a
// WorkerW), read through the remote block or the shared block.
#pragma once

#include "desktop/access/view_link.h"
#include "desktop/desktop.h"

namespace desktop {

class Win32Desktop : public Desktop {
public:
    ViewId FindView() override;
    bool Lost() const override { return m_link.Lost(); }
    int CountItems(ViewId view) override;
    std::unique_ptr<AccessContext> OpenRemote(ViewId view) override;
    std::unique_ptr<AccessContext> OpenShared(ViewId view) override;
    Screen ReadScreen(ViewId view) override;
    bool SetPosition(ViewId view, int index, int32_t x, int32_t y) override;
    bool ReadExtendedStyle(ViewId view, uint32_t& style) override;
    bool SetExtendedStyle(ViewId view, uint32_t mask, uint32_t style, bool evenIfLost) override;
    bool ArrangesItself(ViewId view) override;
    void StopArranging(ViewId view) override;

private:
    // The view found last; the contexts opened on it send through it too.
    ViewLink& Link(ViewId view);

    ViewLink m_link;
};

}  // namespace desktop

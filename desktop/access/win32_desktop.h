// desktop::Desktop on the real Windows shell: the list view found under Progman (or a
// WorkerW), read through the remote block or the shared block.
#pragma once

#include "desktop/desktop.h"

namespace desktop {

class Win32Desktop : public Desktop {
public:
    ViewId FindView() override;
    int CountItems(ViewId view) override;
    std::unique_ptr<AccessContext> OpenRemote(ViewId view) override;
    std::unique_ptr<AccessContext> OpenShared(ViewId view) override;
    void SetPosition(ViewId view, int index, int32_t x, int32_t y) override;
};

}  // namespace desktop

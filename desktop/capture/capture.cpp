// Reads every desktop icon into a new layout of the store.
#include "desktop/capture/capture.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace desktop {

CaptureOutcome CaptureLayout(Desktop& desktop, CLayoutStore& store, const std::string& title,
                             Scheme scheme, ParsingNamer* namer) {
    const ViewId view = desktop.FindView();
    if (!view) return CaptureOutcome::NoView;
    const int n = desktop.CountItems(view);
    if (desktop.Lost()) return CaptureOutcome::Failed;
    if (n <= 0) return CaptureOutcome::NoIcons;

    // The title goes in before the desktop is read; a failure below leaves it uncounted.
    const int index = store.GetCount();
    store.SetTitle(index, title.c_str());

    std::vector<ReadIcon> icons;
    if (!ReadIcons(desktop, view, n, scheme, icons)) return CaptureOutcome::Failed;
    std::vector<std::wstring> paths;
    if (namer && scheme == Scheme::RemoteByName) paths = namer->ParsingNames(icons);
    for (size_t j = 0; j < icons.size(); ++j) {
        const ReadIcon& icon = icons[j];
        store.AddIconXY(index, icon.x, icon.y, icon.name.c_str());
        if (j < paths.size() && !paths[j].empty())
            store.SetIconPath(index, static_cast<int>(j), paths[j]);
    }
    return CaptureOutcome::Captured;
}

bool ReadIcons(Desktop& desktop, ViewId view, int n, Scheme scheme, std::vector<ReadIcon>& icons) {
    icons.clear();
    const bool nt = scheme == Scheme::RemoteByName;
    std::unique_ptr<AccessContext> context =
        nt ? desktop.OpenRemote(view) : desktop.OpenShared(view);
    if (!context) return false;
    return ReadIconsWith(desktop, *context, n, scheme, icons);
}

bool ReadIconsWith(Desktop& desktop, AccessContext& context, int n, Scheme scheme,
                   std::vector<ReadIcon>& icons) {
    icons.clear();
    const bool nt = scheme == Scheme::RemoteByName;
    icons.reserve(static_cast<size_t>(std::max(n, 0)));
    // Kept across icons: a read that writes nothing leaves the previous icon's place.
    int32_t x = 0;
    int32_t y = 0;
    for (int j = 0; j < n; ++j) {
        std::string name = nt ? context.ReadText(j) : std::string();
        context.ReadPosition(j, x, y);
        if (desktop.Lost()) {
            icons.clear();
            return false;
        }
        icons.push_back({std::move(name), x, y});
    }
    return true;
}

}  // namespace desktop

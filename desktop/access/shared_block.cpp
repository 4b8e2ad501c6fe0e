// Reads item positions through the named shared block.
#include "desktop/access/shared_block.h"

#include <commctrl.h>

#include <cstring>

namespace desktop {

bool OpenSharedAccess(SharedAccess& access) {
    win::UniqueHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                 kSharedBlockSize, kSharedBlockName));
    if (!mapping) return false;
    win::UniqueMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view) return false;  // the mapping closes here
    access.view.Reset();
    access.mapping = std::move(mapping);
    access.view = std::move(view);
    return true;
}

bool ReadSharedItemPosition(ViewLink& view, void* block, int32_t index, int32_t& x, int32_t& y) {
    if (!view.SendOr(LVM_GETITEMPOSITION, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(block), FALSE))
        return false;
    int32_t pair[2];
    std::memcpy(pair, block, sizeof pair);
    x = pair[0];
    y = pair[1];
    return true;
}

}  // namespace desktop

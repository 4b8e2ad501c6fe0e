// The remote-block scheme (NT family): one 4096-byte block inside the shell's process
// per operation, holding an item request in this build's own LVITEMA layout (the list
// view reads it in its own, same-bitness layout) followed by a 100-byte text buffer.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "desktop/access/view_link.h"
#include "win/unique_handle.h"

namespace desktop {

constexpr SIZE_T kRemoteBlockSize = 4096;
constexpr int kTextBufferSize = 100;
// The text buffer follows the request; a position result overlays the request.
constexpr SIZE_T kRemoteTextOffset = sizeof(LVITEMA);
static_assert(kRemoteTextOffset + kTextBufferSize <= kRemoteBlockSize, "block too small");

// The shell's process opened with exactly VM_OPERATION|VM_READ|VM_WRITE (0x38) and one
// block in it, owned together (the block is freed before the process handle closes).
// Both or nothing: empty when the process cannot be opened or the block allocated.
win::UniqueRemoteMemory OpenRemoteBlock(HWND view);

// Text of item `index` (at most 99 bytes), empty when the index is outside the count
// asked anew, when a transfer failed, or when the view did not answer (the link is
// then lost).
std::string ReadRemoteItemText(ViewLink& view, HANDLE process, void* block, int32_t index);

// Position of item `index`. Asks the count first; writes x and y only when the index
// is in range and the list view answered and the block was read back. Returns whether
// it wrote them.
bool ReadRemoteItemPosition(ViewLink& view, HANDLE process, void* block, int32_t index, int32_t& x,
                            int32_t& y);

}  // namespace desktop

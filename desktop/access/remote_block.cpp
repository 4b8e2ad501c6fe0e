// Reads item texts and positions through a block in the shell's process.
#include "desktop/access/remote_block.h"

#include <cstddef>

namespace desktop {

namespace {

constexpr DWORD kRemoteRights = PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE;
static_assert(kRemoteRights == 0x38, "rights of the remote block");

// What one text read writes in one piece: the request and an emptied text buffer, so
// a list view that does not answer leaves no earlier item's text behind.
struct TextRequest {
    LVITEMA item;
    char text[kTextBufferSize];
};
static_assert(offsetof(TextRequest, text) == kRemoteTextOffset, "text follows the request");

bool InRange(ViewLink& view, int32_t index) {
    const LRESULT n = view.SendOr(LVM_GETITEMCOUNT, 0, 0, 0);
    return index >= 0 && index < n;
}

}  // namespace

win::UniqueRemoteMemory OpenRemoteBlock(HWND view) {
    DWORD pid = 0;
    GetWindowThreadProcessId(view, &pid);
    win::UniqueHandle process(OpenProcess(kRemoteRights, FALSE, pid));
    if (!process) return {};
    void* block = VirtualAllocEx(process.Get(), nullptr, kRemoteBlockSize, MEM_COMMIT | MEM_RESERVE,
                                 PAGE_READWRITE);
    if (!block) return {};  // the process handle closes here
    return win::UniqueRemoteMemory({process.Release(), block});
}

std::string ReadRemoteItemText(ViewLink& view, HANDLE process, void* block, int32_t index) {
    if (!InRange(view, index)) return {};

    char* remote = static_cast<char*>(block);
    TextRequest request = {};
    request.item.mask = LVIF_TEXT;
    request.item.iItem = index;
    request.item.iSubItem = 0;
    request.item.pszText = remote + kRemoteTextOffset;
    request.item.cchTextMax = kTextBufferSize;
    SIZE_T done = 0;
    if (!WriteProcessMemory(process, remote, &request, sizeof request, &done) ||
        done != sizeof request)
        return {};

    LRESULT answered = 0;
    if (!view.Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote), answered)) return {};

    // A longer text fills the buffer without a NUL: stop at 99 bytes ourselves.
    char text[kTextBufferSize] = {};
    done = 0;
    if (!ReadProcessMemory(process, remote + kRemoteTextOffset, text, sizeof text, &done) ||
        done != sizeof text)
        return {};
    text[kTextBufferSize - 1] = '\0';
    return std::string(text);
}

bool ReadRemoteItemPosition(ViewLink& view, HANDLE process, void* block, int32_t index, int32_t& x,
                            int32_t& y) {
    if (!InRange(view, index)) return false;
    // FALSE means the item is gone: the block then still holds the request's bytes.
    if (!view.SendOr(LVM_GETITEMPOSITION, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(block), FALSE))
        return false;
    POINT pt = {};
    SIZE_T done = 0;
    if (!ReadProcessMemory(process, block, &pt, sizeof pt, &done) || done != sizeof pt)
        return false;
    x = pt.x;
    y = pt.y;
    return true;
}

}  // namespace desktop

/* Item ID lists on the wire for the proxy/stub DLL: a 32-bit byte count (0 for a null
   list) and then the whole list, terminator included. Both ends run this code, so the
   layout is ours to choose. Unmarshalled lists come from the COM task allocator, as
   callers of the shell's interfaces free them. */
#include <string.h>

#include "shell_view_ps.h"

/* A list longer than this is taken as damaged. */
#define TV_MAX_PIDL_BYTES 65536u

static unsigned char* Align4(unsigned char* p) {
    return (unsigned char*)(((ULONG_PTR)p + 3) & ~(ULONG_PTR)3);
}

static ULONG PidlBytes(const void* pidl) {
    const BYTE* p = (const BYTE*)pidl;
    ULONG size = 0;
    if (!p) return 0;
    for (;;) {
        USHORT cb;
        memcpy(&cb, p + size, sizeof cb);
        if (cb == 0) return size + sizeof cb;
        size += cb;
        if (size > TV_MAX_PIDL_BYTES) return 0;
    }
}

ULONG __RPC_USER TV_PIDL_UserSize(ULONG* flags, ULONG start, TV_PIDL* pidl) {
    (void)flags;
    return ((start + 3) & ~3u) + sizeof(ULONG) + PidlBytes(*pidl);
}

unsigned char* __RPC_USER TV_PIDL_UserMarshal(ULONG* flags, unsigned char* buffer, TV_PIDL* pidl) {
    const ULONG size = PidlBytes(*pidl);
    (void)flags;
    buffer = Align4(buffer);
    memcpy(buffer, &size, sizeof size);
    buffer += sizeof size;
    if (size) memcpy(buffer, *pidl, size);
    return buffer + size;
}

unsigned char* __RPC_USER TV_PIDL_UserUnmarshal(ULONG* flags, unsigned char* buffer,
                                                TV_PIDL* pidl) {
    ULONG size;
    (void)flags;
    buffer = Align4(buffer);
    memcpy(&size, buffer, sizeof size);
    buffer += sizeof size;
    *pidl = NULL;
    if (size == 0 || size > TV_MAX_PIDL_BYTES) return buffer;
    *pidl = CoTaskMemAlloc(size);
    if (*pidl) memcpy(*pidl, buffer, size);
    return buffer + size;
}

void __RPC_USER TV_PIDL_UserFree(ULONG* flags, TV_PIDL* pidl) {
    (void)flags;
    CoTaskMemFree(*pidl);
    *pidl = NULL;
}

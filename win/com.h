// COM for the thread that needs it: an apartment held for a scope, and owners of
// interface pointers and of memory from the COM task allocator (item ID lists, strings),
// built on the one owning-handle template.
#pragma once

#include <windows.h>
#include <objbase.h>

#include "win/unique_handle.h"

namespace win {

// CoInitializeEx for the lifetime of the object, CoUninitialize after it when it
// succeeded (also when the apartment was already there: the calls pair up).
class ComApartment {
public:
    explicit ComApartment(DWORD model) : m_ok(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
    ~ComApartment() {
        if (m_ok) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    explicit operator bool() const { return m_ok; }

private:
    bool m_ok;
};

template <typename Interface>
struct ComTraits {
    using Type = Interface*;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type p) { return p != nullptr; }
    static void Close(Type p) { p->Release(); }
};

inline void FreeCoTaskMem(void* p) { CoTaskMemFree(p); }

template <typename Interface>
using UniqueCom = UniqueAny<ComTraits<Interface>>;
template <typename T>
using UniqueCoTaskMem = UniqueAny<ClosedBy<T*, FreeCoTaskMem>>;

// For QueryInterface-shaped calls: the void** slot of an owner.
template <typename Interface>
void** PutVoid(UniqueCom<Interface>& owner) {
    return reinterpret_cast<void**>(owner.Put());
}

}  // namespace win

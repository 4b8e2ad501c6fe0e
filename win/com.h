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

// An interface pointer owned: released once, with operator-> for its calls.
template <typename Interface>
class UniqueCom : public UniqueAny<ComTraits<Interface>> {
public:
    using UniqueAny<ComTraits<Interface>>::UniqueAny;
    Interface* operator->() const noexcept { return this->Get(); }

    // For calls that hand out an interface by IID and void** slot (QueryInterface,
    // CoCreateInstance, QueryService...): pass IID_PPV_ARGS(owner.Put()), so the IID
    // always comes from the pointer's type. This asks the held object for another one.
    template <typename Other>
    HRESULT QueryTo(UniqueCom<Other>& other) const {
        return this->Get()->QueryInterface(IID_PPV_ARGS(other.Put()));
    }
};

template <typename T>
using UniqueCoTaskMem = UniqueAny<ClosedBy<T*, FreeCoTaskMem>>;

}  // namespace win

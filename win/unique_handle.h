// One owning wrapper for every kind of handle the program holds: a kernel handle, a
// block in another process, a mapped view, a menu, a registry key. Move-only; the
// handle is released exactly once, on every path. A kind is described by its traits:
//
//   struct Traits {
//       using Type = ...;                  // the handle's type
//       static Type Invalid();             // the value that holds nothing
//       static bool IsValid(Type h);       // false for every "nothing" value
//       static void Close(Type h);         // releases a valid handle
//   };
//
// ClosedBy<T, Close> makes the traits of a kind whose only "nothing" is T{}. The
// template itself needs nothing of Windows, so native builds use it too.
#pragma once

#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace win {

template <typename Traits>
class UniqueAny {
public:
    using Type = typename Traits::Type;

    UniqueAny() noexcept = default;
    explicit UniqueAny(Type value) noexcept : m_value(value) {}
    ~UniqueAny() { Reset(); }

    UniqueAny(UniqueAny&& other) noexcept : m_value(other.Release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;

    Type Get() const noexcept { return m_value; }
    explicit operator bool() const noexcept { return Traits::IsValid(m_value); }

    // Gives the handle up without releasing it.
    Type Release() noexcept { return std::exchange(m_value, Traits::Invalid()); }

    // Releases the handle held (if any) and takes `value` in its place.
    void Reset(Type value = Traits::Invalid()) noexcept {
        const Type old = std::exchange(m_value, value);
        if (Traits::IsValid(old)) Traits::Close(old);
    }

    // For functions that return a handle through a pointer: releases the held one.
    Type* Put() noexcept {
        Reset();
        return &m_value;
    }

private:
    Type m_value = Traits::Invalid();
};

template <typename T, auto CloseFn>
struct ClosedBy {
    using Type = T;
    static Type Invalid() { return T{}; }
    static bool IsValid(Type h) { return h != T{}; }
    static void Close(Type h) { CloseFn(h); }
};

#ifdef _WIN32

// Kernel handles (process, thread, mapping, mutex, event): both null and
// INVALID_HANDLE_VALUE mean none, as the creating functions differ in which they return.
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) { CloseHandle(h); }
};

// Memory committed inside another process, together with the handle of that process:
// the block is freed before the process handle is closed, so the order cannot go wrong.
struct RemoteMemory {
    HANDLE process = nullptr;
    void* address = nullptr;
};
struct RemoteMemoryTraits {
    using Type = RemoteMemory;
    static Type Invalid() { return {}; }
    static bool IsValid(Type m) { return m.process != nullptr; }
    static void Close(Type m) {
        if (m.address) VirtualFreeEx(m.process, m.address, 0, MEM_RELEASE);
        CloseHandle(m.process);
    }
};

inline void UnmapView(void* view) { UnmapViewOfFile(view); }
inline void DestroyMenuHandle(HMENU menu) { DestroyMenu(menu); }
inline void FreeLibraryHandle(HMODULE module) { FreeLibrary(module); }

using UniqueHandle = UniqueAny<KernelHandleTraits>;
using UniqueRemoteMemory = UniqueAny<RemoteMemoryTraits>;
using UniqueMappedView = UniqueAny<ClosedBy<void*, UnmapView>>;
using UniqueMenu = UniqueAny<ClosedBy<HMENU, DestroyMenuHandle>>;
using UniqueModule = UniqueAny<ClosedBy<HMODULE, FreeLibraryHandle>>;

#endif  // _WIN32

}  // namespace win

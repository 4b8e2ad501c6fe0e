// Owning wrappers for the Windows objects the desktop access holds: a kernel handle,
// a block allocated in another process, and a mapped view. Non-copyable, movable;
// each releases its object exactly once, on every path.
#pragma once

#include <windows.h>

#include <utility>

namespace desktop {

// A kernel handle (process, mapping); null and INVALID_HANDLE_VALUE both mean none.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : m_h(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& o) noexcept : m_h(std::exchange(o.m_h, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) {
            Reset();
            m_h = std::exchange(o.m_h, nullptr);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    void Reset() {
        if (m_h) CloseHandle(std::exchange(m_h, nullptr));
    }

private:
    HANDLE m_h = nullptr;
};

// Memory committed inside another process; released with VirtualFreeEx(MEM_RELEASE).
// The process handle must outlive the block (declare it first).
class RemoteBlock {
public:
    RemoteBlock() = default;
    RemoteBlock(HANDLE process, SIZE_T size)
        : m_process(process),
          m_address(
              VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~RemoteBlock() { Reset(); }
    RemoteBlock(RemoteBlock&& o) noexcept
        : m_process(o.m_process), m_address(std::exchange(o.m_address, nullptr)) {}
    RemoteBlock& operator=(RemoteBlock&& o) noexcept {
        if (this != &o) {
            Reset();
            m_process = o.m_process;
            m_address = std::exchange(o.m_address, nullptr);
        }
        return *this;
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    void* Get() const { return m_address; }
    explicit operator bool() const { return m_address != nullptr; }
    void Reset() {
        if (m_address) VirtualFreeEx(m_process, std::exchange(m_address, nullptr), 0, MEM_RELEASE);
    }

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
};

// A view of a file mapping in this process; released with UnmapViewOfFile.
class MappedView {
public:
    MappedView() = default;
    MappedView(HANDLE mapping, DWORD access) : m_view(MapViewOfFile(mapping, access, 0, 0, 0)) {}
    ~MappedView() { Reset(); }
    MappedView(MappedView&& o) noexcept : m_view(std::exchange(o.m_view, nullptr)) {}
    MappedView& operator=(MappedView&& o) noexcept {
        if (this != &o) {
            Reset();
            m_view = std::exchange(o.m_view, nullptr);
        }
        return *this;
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;

    void* Get() const { return m_view; }
    explicit operator bool() const { return m_view != nullptr; }
    void Reset() {
        if (m_view) UnmapViewOfFile(std::exchange(m_view, nullptr));
    }

private:
    void* m_view = nullptr;
};

}  // namespace desktop

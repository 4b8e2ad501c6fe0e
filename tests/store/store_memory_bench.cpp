// Benchmark (prints figures, asserts nothing): peak heap memory of the layout store
// holding 100 layouts x 1,000 icons, counted by replacing the global allocation
// functions (so it measures what the store asks for, not the allocator's slack).
#include <atomic>
#include <cstdio>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <new>

#include "store/layout_store.h"

namespace {
std::atomic<size_t> g_current{0};
std::atomic<size_t> g_peak{0};

// Each block carries its size in a header so the delete side can account for it.
constexpr size_t kHeader = alignof(std::max_align_t);

void* Allocate(size_t size) {
    auto* raw = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!raw) throw std::bad_alloc();
    *reinterpret_cast<size_t*>(raw) = size;
    const size_t now = g_current += size;
    size_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
    return raw + kHeader;
}

void Release(void* p) {
    if (!p) return;
    auto* raw = static_cast<unsigned char*>(p) - kHeader;
    g_current -= *reinterpret_cast<size_t*>(raw);
    std::free(raw);
}
}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

int main() {
    constexpr int kLayouts = 100;
    constexpr int kIcons = 1000;
    const size_t before = g_current;
    g_peak = before;
    size_t nameBytes = 0;
    {
        CLayoutStore store;
        char name[32];
        for (int i = 0; i < kLayouts; ++i) {
            std::snprintf(name, sizeof name, "Layout %d", i);
            store.SetTitle(i, name);
            for (int j = 0; j < kIcons; ++j) {
                // Typical desktop names: "ショートカット - 1234.lnk" is ~25 bytes.
                std::snprintf(name, sizeof name, "Shortcut to app %04d.lnk", j);
                nameBytes += std::char_traits<char>::length(name);
                store.AddIconXY(i, j % 1280, j / 1280, name);
            }
        }
        const size_t held = g_current - before;
        const size_t icons = static_cast<size_t>(kLayouts) * kIcons;
        std::printf("store of %d layouts x %d icons (names of %zu bytes on average)\n", kLayouts,
                    kIcons, nameBytes / icons);
        std::printf("  held after filling : %8.2f MiB (%.1f bytes/icon)\n", held / 1048576.0,
                    static_cast<double>(held) / static_cast<double>(icons));
        std::printf("  peak while filling : %8.2f MiB\n", (g_peak - before) / 1048576.0);
        std::printf("BENCH store_peak_memory %.2f MiB\n", (g_peak - before) / 1048576.0);
    }
    std::printf("  left after the store is gone: %zu bytes\n", g_current - before);
    return 0;
}

// Benchmark (run under Wine, prints figures): one capture of 1,000 icons through
// Win32Desktop and CaptureLayout against the test desktop, versus a bare loop that
// sends the same messages and makes the same cross-process copies written inline.
//   bench_capture.exe [icons] [rounds]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "desktop/access/win32_desktop.h"
#include "tools/bench/bare_send.h"
#include "desktop/capture/capture.h"
#include "tools/test_desktop/test_desktop_client.h"

namespace {

double NowMs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// What the capture stores, so neither loop can be optimised away.
struct Sink {
    size_t bytes = 0;
    long long sum = 0;
};

double CaptureThroughWin32Desktop(Sink& sink) {
    const double t0 = NowMs();
    desktop::Win32Desktop desk;
    CLayoutStore store;
    desktop::CaptureLayout(desk, store, "bench", desktop::Scheme::RemoteByName);
    const double t1 = NowMs();
    for (int j = 0; j < store.GetIconCount(0); ++j) {
        sink.bytes += std::string(store.GetIconName(0, j)).size();
        sink.sum += store.GetPackedPos(0, j);
    }
    return t1 - t0;
}

double CaptureBare(Sink& sink) {
    const double t0 = NowMs();
    HWND progman = FindWindowA("Progman", "Program Manager");
    HWND view = GetWindow(GetWindow(progman, GW_CHILD), GW_CHILD);
    const int n = static_cast<int>(BareSend(view, LVM_GETITEMCOUNT, 0, 0));
    DWORD pid = 0;
    GetWindowThreadProcessId(view, &pid);
    HANDLE process = OpenProcess(0x38, FALSE, pid);
    char* block = static_cast<char*>(
        VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    std::vector<std::string> names;
    std::vector<POINT> points;
    struct {
        LVITEMA item;
        char text[100];
    } request;
    for (int j = 0; j < n; ++j) {
        BareSend(view, LVM_GETITEMCOUNT, 0, 0);
        request = {};
        request.item.mask = LVIF_TEXT;
        request.item.iItem = j;
        request.item.pszText = block + sizeof(LVITEMA);
        request.item.cchTextMax = 100;
        WriteProcessMemory(process, block, &request, sizeof request, nullptr);
        BareSend(view, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(block));
        char text[100] = {};
        ReadProcessMemory(process, block + sizeof(LVITEMA), text, sizeof text, nullptr);
        text[99] = '\0';
        BareSend(view, LVM_GETITEMCOUNT, 0, 0);
        BareSend(view, LVM_GETITEMPOSITION, j, reinterpret_cast<LPARAM>(block));
        POINT pt = {};
        ReadProcessMemory(process, block, &pt, sizeof pt, nullptr);
        names.emplace_back(text);
        points.push_back(pt);
    }
    VirtualFreeEx(process, block, 0, MEM_RELEASE);
    CloseHandle(process);
    const double t1 = NowMs();
    for (size_t j = 0; j < names.size(); ++j) {
        sink.bytes += names[j].size();
        sink.sum += points[j].x + points[j].y;
    }
    return t1 - t0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int icons = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    std::vector<testdesk::TestItem> items;
    for (int i = 0; i < icons; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "Icon %04d.lnk", i);
        items.push_back({(i % 40) * 30, (i / 40) * 40, text});
    }
    testdesk::TestDesktop shell(items);
    if (!shell.Ready()) {
        std::fprintf(stderr, "test desktop did not start\n");
        return 1;
    }

    Sink sink;
    CaptureThroughWin32Desktop(sink);  // warm-up of both paths
    CaptureBare(sink);
    std::vector<double> ours, bare;
    for (int r = 0; r < rounds; ++r) {  // interleaved, each first every other round
        if (r % 2) bare.push_back(CaptureBare(sink));
        ours.push_back(CaptureThroughWin32Desktop(sink));
        if (r % 2 == 0) bare.push_back(CaptureBare(sink));
    }
    const double o = Median(ours), b = Median(bare);
    const double oMin = *std::min_element(ours.begin(), ours.end());
    const double bMin = *std::min_element(bare.begin(), bare.end());
    std::printf("capture of %d icons, %d rounds (median / best)\n", icons, rounds);
    std::printf("  Win32Desktop + CaptureLayout : %8.1f / %8.1f ms (%.3f ms/icon)\n", o, oMin,
                o / icons);
    std::printf("  bare inline message loop     : %8.1f / %8.1f ms (%.3f ms/icon)\n", b, bMin,
                b / icons);
    std::printf("  ratio                        : %8.3fx / %.3fx (target <= 1.15x)\n", o / b,
                oMin / bMin);
    std::printf("BENCH capture_%d %.1f %.1f %.3f 1.15\n", icons, o, b, o / b);
    std::printf("  (checksum %zu/%lld)\n", sink.bytes, sink.sum);
    return 0;
}

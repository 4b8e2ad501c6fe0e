// Benchmark (run under Wine, prints figures): one capture of 1,000 icons through
// Win32Desktop and CaptureLayout against the test desktop, versus a bare loop that
// sends the same messages and makes the same cross-process copies written inline; and
// the same capture with each icon's parsing name from the shell's view object (as the
// remember command makes it), versus that capture without the view object.
//   bench_capture.exe [icons] [rounds]
//   bench_capture.exe names [icons] [rounds]   the second benchmark alone
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "desktop/access/view_session.h"
#include "desktop/access/win32_desktop.h"
#include "tools/bench/bare_send.h"
#include "tools/bench/bench_scene.h"
#include "desktop/capture/capture.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "tools/test_desktop/view_object/registration.h"

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

// The parsing names as the remember command asks them of its view session.
class SessionNamer : public desktop::ParsingNamer {
public:
    explicit SessionNamer(desktop::ViewSession& session) : m_session(session) {}
    std::vector<std::wstring> ParsingNames(const std::vector<desktop::ReadIcon>& reading) override {
        return m_session.ParsingNames(reading, desktop::kViewSessionWaitMs);
    }

private:
    desktop::ViewSession& m_session;
};

// One capture as the remember command makes it on NT: the view session started first,
// then the capture with its namer (`named`), or the capture alone. Counts the icons
// stored with a parsing name into `withPath`.
double CaptureWithNames(bool named, Sink& sink, int& withPath) {
    const double t0 = NowMs();
    std::unique_ptr<desktop::ViewSession> session;
    std::unique_ptr<SessionNamer> namer;
    if (named) {
        session = std::make_unique<desktop::ViewSession>();
        namer = std::make_unique<SessionNamer>(*session);
    }
    desktop::Win32Desktop desk;
    CLayoutStore store;
    desktop::CaptureLayout(desk, store, "bench", desktop::Scheme::RemoteByName, namer.get());
    const double t1 = NowMs();
    withPath = 0;
    for (int j = 0; j < store.GetIconCount(0); ++j) {
        const std::wstring path = store.GetIconPath(0, j);
        withPath += !path.empty();
        sink.bytes += path.size();
        sink.sum += store.GetPackedPos(0, j);
    }
    // The session's thread ends on its own (the dialog does not wait for it); the next
    // round waits, as a session is started only once the last one is gone.
    session.reset();
    for (int waited = 0; desktop::ViewSessionStillRunning() && waited < 10000; waited += 5)
        Sleep(5);
    return t1 - t0;
}

// The capture with parsing names against the capture without them, interleaved, on one
// test desktop serving the view object.
int BenchParsingNames(int icons, int rounds) {
    const testdesk::ViewObjectRegistration registration;
    testdesk::TestDesktopOptions options;
    options.viewObject = testdesk::ViewObjectMode::kSameOrder;
    testdesk::TestDesktop shell(BenchGrid(icons, 0), options);
    if (!registration.Ok() || !shell.Ready()) {
        std::fprintf(stderr, "test desktop with the view object did not start\n");
        return 1;
    }
    Sink sink;
    int withPath = 0, complete = 0, none = 0;
    CaptureWithNames(true, sink, withPath);  // warm-up of both
    CaptureWithNames(false, sink, withPath);
    std::vector<double> named, plain, whole;  // whole: the runs where every icon was named
    for (int r = 0; r < rounds; ++r) {
        if (r % 2) plain.push_back(CaptureWithNames(false, sink, withPath));
        named.push_back(CaptureWithNames(true, sink, withPath));
        if (withPath == icons) whole.push_back(named.back());
        complete += withPath == icons;
        none += withPath == 0;
        if (r % 2 == 0) plain.push_back(CaptureWithNames(false, sink, withPath));
    }
    const double n = Median(named), p = Median(plain);
    const double nMin = *std::min_element(named.begin(), named.end());
    const double pMin = *std::min_element(plain.begin(), plain.end());
    std::printf("capture of %d icons with parsing names, %d rounds (median / best)\n", icons,
                rounds);
    std::printf("  with the view object's names : %8.1f / %8.1f ms (%.3f ms/icon)\n", n, nMin,
                n / icons);
    std::printf("  without (namer null)         : %8.1f / %8.1f ms (%.3f ms/icon)\n", p, pMin,
                p / icons);
    std::printf("  the names cost               : %8.3f ms/icon\n", (n - p) / icons);
    std::printf("  ratio                        : %8.3fx / %.3fx (target <= 2.0x)\n", n / p,
                nMin / pMin);
    // None: the names did not come within the capture's wait (kViewSessionWaitMs).
    std::printf("  runs with every icon named   : %d of %d (%d with none)\n", complete, rounds,
                none);
    if (!whole.empty())
        std::printf(
            "  those runs alone             : %8.1f ms median (%.3f ms/icon for the names)\n",
            Median(whole), (Median(whole) - p) / icons);
    // The row's name says in how many runs the names came: a run without them only
    // waited for them.
    std::printf("BENCH capture_%d with parsing names (%d/%d runs named) %.1f %.1f %.3f 2.0\n",
                icons, complete, rounds, n, p, n / p);
    std::printf("  (checksum %zu/%lld)\n", sink.bytes, sink.sum);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool namesOnly = argc > 1 && std::strcmp(argv[1], "names") == 0;
    if (namesOnly) {
        --argc;
        ++argv;
    }
    const int icons = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    if (namesOnly) return BenchParsingNames(icons, rounds);
    std::vector<testdesk::TestItem> items;
    for (int i = 0; i < icons; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "Icon %04d.lnk", i);
        items.push_back({(i % 40) * 30, (i / 40) * 40, text});
    }
    auto shell = std::make_unique<testdesk::TestDesktop>(items);
    if (!shell->Ready()) {
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
    shell.reset();
    return BenchParsingNames(icons, rounds);
}

// Start-up of TORVINEL.EXE to its idle dialog: the stripped release build against the test
// build, started in turns (the order alternating each round) and closed again; prints the
// median time from CreateProcess until the main dialog is visible, and the ratio.
//   bench_startup.exe [ROUNDS [EXE...]]   default: 15 rounds, release build then test build
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/driver/driver.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// One start: ms until the dialog shows (polled every millisecond), or a negative value.
double TimeStart(const std::wstring& exe) {
    const auto start = Clock::now();
    driver::Process process = driver::Start(exe);
    if (!process) return -1;
    HWND dialog = nullptr;
    while (!(dialog = driver::FindDialog(process.id(), driver::kMainCaption))) {
        if (Clock::now() - start > std::chrono::seconds(20) || process.WaitForExit(0)) break;
        Sleep(1);
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (!dialog) {
        process.Terminate();
        return -1;
    }
    driver::PostClose(dialog);
    if (!process.WaitForExit(10000)) process.Terminate();
    return ms;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds =
        argc > 1 ? std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10))) : 15;
    std::vector<std::wstring> exes(argv + std::min(argc, 2), argv + argc);
    if (exes.empty()) exes = {TORVINEL_RELEASE_EXE, TORVINEL_TEST_EXE};
    if (exes.size() < 2) {
        std::printf("bench_startup: give two or more programs to compare\n");
        return 2;
    }

    TimeStart(exes[0]);  // the first start of all pays for loading Wine's DLLs: not counted
    std::vector<std::vector<double>> times(exes.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t k = 0; k < exes.size(); ++k) {
            const size_t i = round % 2 ? exes.size() - 1 - k : k;
            const double ms = TimeStart(exes[i]);
            if (ms < 0) {
                std::printf("%ls: no dialog\n", exes[i].c_str());
                return 1;
            }
            times[i].push_back(ms);
            Sleep(200);  // the previous process and its windows are gone
        }
    }
    for (size_t i = 0; i < exes.size(); ++i)
        std::printf("%-60ls median %7.1f ms  (min %.1f, max %.1f, %d runs)\n", exes[i].c_str(),
                    Median(times[i]), *std::min_element(times[i].begin(), times[i].end()),
                    *std::max_element(times[i].begin(), times[i].end()), rounds);
    const double ratio = Median(times[0]) / Median(times[1]);
    std::printf("ratio first/second: %.3f\n", ratio);
    std::printf(
        "BENCH start-up to the idle dialog (release build vs test build) %.1f %.1f %.3f 1.05\n",
        Median(times[0]), Median(times[1]), ratio);
    return 0;
}

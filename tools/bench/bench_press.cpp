// How long the dialog's interface thread takes from a restore press to the busy labels,
// with 100 and with 1,000 icons on the test desktop: the press sends the shell nothing
// (the worker reads the desktop), so the time does not grow with the icons. The real
// TORVINEL.EXE is driven from here; its layout is remembered through its own dialog.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/bench/bench_scene.h"
#include "tools/driver/driver.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "ui/resource.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 10;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// The restore button reads its busy label (中断 on the enjoyable one).
bool Busy(HWND dialog) { return driver::ReadText(GetDlgItem(dialog, IDC_FUN_RESTORE)) == L"中断"; }

// Median ms from the press to the busy labels, over kRounds instant restores.
double PressToBusy(int icons) {
    testdesk::TestDesktop td(BenchGrid(icons, 0));
    if (!td.Ready()) return -1;
    driver::Process app = driver::Start(TORVINEL_EXE);
    const HWND dialog = driver::WaitForDialog(app.id(), driver::kMainCaption, 20000);
    if (!dialog) return -1;
    driver::ClickButton(dialog, IDC_REMEMBER);
    if (!driver::EnterTitle(L"bench")) return -1;
    const auto idle = [&] { return driver::IsEnabled(GetDlgItem(dialog, IDC_REMEMBER)); };
    std::vector<double> ms;
    for (int round = 0; round < kRounds; ++round) {
        Sleep(300);
        const int lines = static_cast<int>(driver::ReadListLines(dialog, IDC_LAYOUT_LIST).size());
        driver::SelectListLine(dialog, IDC_LAYOUT_LIST, round % 2 == 0 ? 0 : lines - 1);
        const auto start = Clock::now();
        driver::ClickButton(dialog, IDC_RESTORE);
        while (!Busy(dialog) && Clock::now() - start < std::chrono::seconds(20)) Sleep(0);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        while (!idle() || Busy(dialog)) Sleep(5);
    }
    driver::PostClose(dialog);
    if (!app.WaitForExit(20000)) app.Terminate();
    return Median(ms);
}

}  // namespace

int main() {
    const double hundred = PressToBusy(100), thousand = PressToBusy(1000);
    std::printf("press to busy labels: 100 icons %.2f ms, 1,000 icons %.2f ms (medians of %d)\n",
                hundred, thousand, kRounds);
    std::printf("BENCH press to busy labels, 1000 icons against 100 %.2f %.2f %.3f 1.1\n", thousand,
                hundred, hundred > 0 ? thousand / hundred : 0.0);
    return 0;
}

// Cost of the restore worker against the bare list-view messages it sends, on the test
// desktop: an instant restore of 1,000 icons, and the animated step loop, each timed
// against a plain loop of the same LVM_SETITEMPOSITION messages. Prints the ratios.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "desktop/access/win32_desktop.h"
#include "desktop/restore/animation.h"
#include "desktop/restore/restore_logic.h"
#include "store/layout_store.h"
#include "tools/test_desktop/test_desktop_client.h"

namespace {

constexpr int kIcons = 1000;
constexpr int kRounds = 10;

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The shell gets a moment to repaint first, so no run pays for the one before.
template <typename F>
double Time(F&& f) {
    Sleep(150);
    const auto start = Clock::now();
    f();
    return Ms(Clock::now() - start);
}

LPARAM Packed(int32_t x, int32_t y) { return static_cast<LPARAM>(PackIconPos(x, y)); }

// Two arrangements of n icons: a grid, and the same grid shifted.
std::vector<testdesk::TestItem> Grid(int n, int shift) {
    std::vector<testdesk::TestItem> items;
    for (int i = 0; i < n; ++i) {
        items.push_back(
            {(i % 40) * 30 + shift, (i / 40) * 30 + shift, "icon " + std::to_string(i)});
    }
    return items;
}

void Report(const char* what, const std::vector<double>& restore, const std::vector<double>& bare,
            long messages) {
    const double r = *std::min_element(restore.begin(), restore.end());
    const double b = *std::min_element(bare.begin(), bare.end());
    std::printf("%-34s %7ld msgs  restore %8.2f ms  bare %8.2f ms  ratio %.3f\n", what, messages, r,
                b, r / b);
}

// Instant restore of kIcons icons (both variants) against a bare loop of the same sets.
// The icons go back and forth between two arrangements; which of the two runs first
// alternates by round, so neither pays for the other.
void BenchInstant() {
    const std::vector<testdesk::TestItem> places[2] = {Grid(kIcons, 0), Grid(kIcons, 7)};
    testdesk::TestDesktop td(places[1]);
    if (!td.Ready()) {
        std::printf("test desktop not ready\n");
        return;
    }
    const HWND view = td.ListView();
    CLayoutStore store;
    for (int layout : {0, 1}) {
        store.SetTitle(layout, layout == 0 ? "home" : "away");
        for (const auto& item : places[layout]) {
            store.AddIconXY(layout, item.x, item.y, item.text.c_str());
        }
    }
    std::atomic<int32_t> abort{0};
    std::atomic<int32_t> speed{1};
    desktop::Win32Desktop desk;

    auto bare = [&](int layout) {
        for (int i = 0; i < kIcons; ++i) {
            SendMessageA(view, LVM_SETITEMPOSITION, i,
                         Packed(places[layout][i].x, places[layout][i].y));
        }
    };
    // The NT variant also reads every item's text; its bare loop does the same reads.
    auto bareWithReads = [&](int layout) {
        const auto ctx = desk.OpenRemote(reinterpret_cast<desktop::ViewId>(view));
        const int n = static_cast<int>(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            const std::string text = ctx->ReadText(i);
            SendMessageA(view, LVM_SETITEMPOSITION, i,
                         Packed(places[layout][i].x, places[layout][i].y));
        }
    };
    std::vector<double> byIndex, byName, bareTimes, bareReadTimes;
    for (int round = 0; round < kRounds; ++round) {
        const int first = round % 2 == 0 ? 0 : 1;  // which of the pair runs first
        for (int k = 0; k < 2; ++k) {
            const int layout = k;  // 0 home, then 1 away
            if ((k == 0) == (first == 0)) {
                byIndex.push_back(Time([&] {
                    restore::RestoreByIndex(desk, {store, layout, 0, abort, speed});
                }));
            } else {
                bareTimes.push_back(Time([&] { bare(layout); }));
            }
        }
        for (int k = 0; k < 2; ++k) {
            const int layout = k;
            if ((k == 0) == (first == 0)) {
                byName.push_back(Time([&] {
                    restore::RestoreByName(desk, {store, layout, 0, abort, speed});
                }));
            } else {
                bareReadTimes.push_back(Time([&] { bareWithReads(layout); }));
            }
        }
        td.ClearSetPositionLog();
    }
    Report("instant 9x (sets only)", byIndex, bareTimes, kIcons);
    Report("instant NT (text reads + sets)", byName, bareReadTimes, kIcons);
}

// The animated step loop: three icons gliding 2,000 pixels, against a loop of the same
// precomputed messages.
void BenchAnimated() {
    const std::vector<testdesk::TestItem> start = {{0, 0, "a"}, {0, 100, "b"}, {0, 200, "c"}};
    testdesk::TestDesktop td(start);
    if (!td.Ready()) {
        std::printf("test desktop not ready\n");
        return;
    }
    const HWND view = td.ListView();
    CLayoutStore there;
    there.SetTitle(0, "there");
    there.SetTitle(1, "back");
    for (const auto& item : start) {
        there.AddIconXY(0, item.x + 2000, item.y + 500, item.text.c_str());
        there.AddIconXY(1, item.x, item.y, item.text.c_str());
    }
    std::atomic<int32_t> abort{0};
    std::atomic<int32_t> speed{1};
    desktop::Win32Desktop desk;

    // The same messages, computed beforehand: out to "there" and back.
    std::vector<std::pair<int, LPARAM>> steps;
    for (int layout : {0, 1}) {
        for (int i = 0; i < static_cast<int>(start.size()); ++i) {
            int32_t x = start[i].x, y = start[i].y, tx = 0, ty = 0;
            if (layout == 1) there.GetIconPos(0, i, x, y);
            there.GetIconPos(layout, i, tx, ty);
            restore::AnimateIcon(x, y, tx, ty, abort, speed, [&](int32_t nx, int32_t ny) {
                steps.emplace_back(i, Packed(nx, ny));
            });
        }
    }
    std::vector<double> animated, bare;
    for (int round = 0; round < kRounds; ++round) {
        auto glide = [&] {
            restore::RestoreByName(desk, {there, 0, 1, abort, speed});
            restore::RestoreByName(desk, {there, 1, 1, abort, speed});
        };
        if (round % 2 == 0) animated.push_back(Time(glide));
        bare.push_back(Time([&] {
            for (const auto& step : steps)
                SendMessageA(view, LVM_SETITEMPOSITION, step.first, step.second);
        }));
        if (round % 2 != 0) animated.push_back(Time(glide));
        td.ClearSetPositionLog();
    }
    Report("animated NT (2 x 3 icons x 2000)", animated, bare, static_cast<long>(steps.size()));
}

}  // namespace

int main() {
    std::printf("best of %d rounds\n", kRounds);
    BenchInstant();
    BenchAnimated();
    return 0;
}

// Cost of keeping the arrangement before a restore, on the test desktop: an instant NT
// restore of 1,000 icons with its one reading, its plan and the snapshot layout,
// against a bare loop of the same list-view messages (the reading's text and position
// reads included); and the free-place search alone for 200 new icons on a crowded
// desktop, against that restore. Prints the figures.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>
#include <utility>

#include "desktop/access/win32_desktop.h"
#include "desktop/restore/free_place.h"
#include "desktop/restore/restore_logic.h"
#include "desktop/restore/restore_plan.h"
#include "store/layout_store.h"
#include "tools/bench/bare_send.h"
#include "tools/bench/bench_partners.h"
#include "tools/bench/bench_scene.h"
#include "tools/test_desktop/test_desktop_client.h"

namespace {

constexpr int kIcons = 1000;
constexpr int kNew = 200;
constexpr int kRounds = 10;

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// Returns the median of the restore's runs, in ms.
double BenchRestoreWithSnapshot() {
    const std::vector<testdesk::TestItem> places[2] = {BenchGrid(kIcons, 0), BenchGrid(kIcons, 7)};
    testdesk::TestDesktop td(places[1]);
    if (!td.Ready()) {
        std::printf("test desktop not ready\n");
        return 0;
    }
    const HWND view = td.ListView();
    CLayoutStore store;
    AddHomeAndAway(store, places);
    std::atomic<int32_t> abort{0};
    std::atomic<int32_t> speed{1};
    desktop::Win32Desktop desk;
    const desktop::Screen screen = desk.ReadScreen(reinterpret_cast<desktop::ViewId>(view));
    std::vector<restore::Place> sent[2];
    for (int layout : {0, 1})
        for (int i = 0; i < kIcons; ++i)
            sent[layout].push_back(restore::SentPlace(store, layout, screen, i));

    auto ours = [&](int layout) {
        CLayoutStore copy;
        copy.SetTitle(0, store.GetTitle(layout).c_str());
        for (int j = 0; j < store.GetIconCount(layout); ++j)
            copy.AddIcon(0, store.GetPackedPos(layout, j), store.GetIconName(layout, j));
        BenchRestore(desk, copy, 0, 0, desktop::Scheme::RemoteByName, abort, speed, false, &store);
    };
    // The same messages: the snapping read, one reading, the spacing, then per icon its
    // text checked and its place.
    auto bare = [&](int layout) {
        BareSend(view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        const auto ctx = desk.OpenRemote(reinterpret_cast<desktop::ViewId>(view));
        const int n = static_cast<int>(BareSend(view, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            const std::string text = ctx->ReadText(i);
            int32_t x = 0, y = 0;
            ctx->ReadPosition(i, x, y);
        }
        BareSend(view, LVM_GETITEMSPACING, FALSE, 0);
        for (int i = 0; i < n; ++i) {
            const std::string text = ctx->ReadText(i);
            BareSend(view, LVM_SETITEMPOSITION, i,
                     static_cast<LPARAM>(PackIconPos(sent[layout][i].x, sent[layout][i].y)));
        }
    };
    std::vector<double> oursMs, bareMs;
    for (int round = 0; round < kRounds; ++round) {
        // Each run moves every icon to the other arrangement; who goes first alternates.
        for (int k = 0; k < 2; ++k) {
            const int layout = k;
            const bool oursNow = (k == 0) == (round % 2 == 0);
            Sleep(300);
            const auto start = Clock::now();
            oursNow ? ours(layout) : bare(layout);
            (oursNow ? oursMs : bareMs).push_back(Ms(Clock::now() - start));
        }
        td.ClearSetPositionLog();
    }
    const double o = Median(oursMs), b = Median(bareMs);
    std::printf("instant NT restore of %d icons with the snapshot, against the bare messages\n",
                kIcons);
    std::printf("    restore %8.1f ms  bare %8.1f ms  ratio %.3f (medians of %d)\n", o, b, o / b,
                kRounds);
    std::printf("BENCH instant NT with snapshot %.1f %.1f %.3f 1.05\n", o, b, o / b);

    // 1,000 restored icons on the grid and 200 new ones each on a restored icon's place:
    // the plan's free-place search alone, in the test's process.
    restore::Before crowded;
    crowded.screen = screen;
    for (int i = 0; i < kIcons; ++i)
        crowded.icons.push_back({places[0][i].text, places[0][i].x, places[0][i].y});
    for (int i = 0; i < kNew; ++i)
        crowded.icons.push_back(
            {"new " + std::to_string(i), places[0][i * 5].x, places[0][i * 5].y});
    std::vector<double> searchMs;
    size_t moved = 0;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        restore::FreePlaces boxes(crowded.screen, crowded.icons.size());
        for (int i = 0; i < kIcons; ++i) boxes.Add({crowded.icons[i].x, crowded.icons[i].y}, true);
        moved = 0;
        for (int i = kIcons; i < kIcons + kNew; ++i) {
            const int id = boxes.Add({crowded.icons[i].x, crowded.icons[i].y}, false);
            if (!boxes.OverlapsPinned(id)) continue;
            if (const std::optional<restore::Place> p = boxes.Nearest(id)) {
                boxes.MoveTo(id, *p);
                ++moved;
            }
        }
        searchMs.push_back(Ms(Clock::now() - start));
    }
    const double s = Median(searchMs);
    std::printf(
        "free-place search, %d new icons among %d (%zu moved): %.3f ms, %.3f %% of the "
        "restore\n",
        kNew, kIcons, moved, s, 100.0 * s / o);
    std::printf(
        "BENCH free-place search of %d new icons, share of the restore %.3f %.1f %.4f "
        "0.01\n",
        kNew, s, o, s / o);
    return o;
}

// The plan of a restore of 5,000 icons on three monitors (2560 x 1440 each, 40 x 40
// spacing): 4,500 paired icons home on the grid and 500 new icons each on a restored
// icon's place, so 500 free-place searches; then the same with the screens full, so every
// search fails. Against a restore of 5,000 icons, taken as 5 x the 1,000-icon restore
// measured above (`restoreMs`).
void BenchPlanOfThousands(double restoreMs) {
    constexpr int kMany = 5000, kNewMany = 500, kCols = 64, kRows = 36;
    desktop::Screen screen{
        40, 40, {{0, 0, 2560, 1440}, {2560, 0, 5120, 1440}, {5120, 0, 7680, 1440}}};
    const auto cell = [&](int k) {
        const int m = k / (kCols * kRows), r = k % (kCols * kRows);
        return std::pair<int, int>{m * 2560 + (r % kCols) * 40, (r / kCols) * 40};
    };
    for (const bool full : {false, true}) {
        CLayoutStore store;
        store.SetTitle(0, "many");
        restore::Before before;
        before.screen = screen;
        const int paired = kMany - kNewMany;
        for (int k = 0; k < paired; ++k) {
            const auto [x, y] = cell(k);
            const std::string name = "icon " + std::to_string(k);
            store.AddIconXY(0, x, y, name.c_str());
            before.icons.push_back({name, x, y});
        }
        // Full: every other cell holds an icon the layout does not know either.
        for (int k = paired; full && k < 3 * kCols * kRows; ++k) {
            const auto [x, y] = cell(k);
            before.icons.push_back({"other " + std::to_string(k), x, y});
        }
        for (int k = 0; k < kNewMany; ++k) {
            const auto [x, y] = cell(k * 9);
            before.icons.push_back({"new " + std::to_string(k), x + 3, y + 3});
        }
        std::vector<double> planMs;
        size_t moved = 0;
        for (int round = 0; round < kRounds; ++round) {
            const auto start = Clock::now();
            const restore::Plan plan =
                restore::PlanRestore(store, 0, desktop::Scheme::RemoteByName, before);
            planMs.push_back(Ms(Clock::now() - start));
            moved = plan.unburied.size();
        }
        const double p = Median(planMs), whole = 5 * restoreMs;
        std::printf(
            "plan of %zu icons on three monitors%s (%zu moved off restored ones): %.2f ms, %.3f "
            "%% of a restore of 5,000 icons (%.0f ms)\n",
            before.icons.size(), full ? ", screens full" : "", moved, p, 100.0 * p / whole, whole);
        std::printf(
            "BENCH plan of 5000 icons on three monitors%s, share of the restore %.2f %.1f %.4f "
            "0.01\n",
            full ? " (screens full)" : "", p, whole, p / whole);
    }
}

}  // namespace

int main() {
    BenchPlanOfThousands(BenchRestoreWithSnapshot());
    return 0;
}

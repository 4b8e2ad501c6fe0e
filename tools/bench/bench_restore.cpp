// Cost of the restore worker against the bare list-view messages it sends, on the test
// desktop: an instant restore of 1,000 icons, and the animated step loop, each timed
// against a plain loop of the same LVM_SETITEMPOSITION messages; and the instant NT
// restore with the shell's view object told afterwards against the same without it.
// Prints the ratios.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "desktop/access/win32_desktop.h"
#include "tools/bench/bare_send.h"
#include "tools/bench/bench_partners.h"
#include "tools/bench/bench_scene.h"
#include "desktop/restore/animation.h"
#include "desktop/restore/restore_logic.h"
#include "desktop/restore/visible_place.h"
#include "store/layout_store.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "tools/test_desktop/view_object/registration.h"

namespace {

constexpr int kIcons = 1000;
constexpr int kRounds = 20;

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// CPU time of the calling thread, in ms: what the sending side itself costs, which a
// busy machine disturbs far less than the wall clock.
double ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<double>(static_cast<uint64_t>(t.dwHighDateTime) << 32 |
                                   t.dwLowDateTime) /
               1e4;
    };
    return ms(kernel) + ms(user);
}

struct Sample {
    double wallMs;
    double cpuMs;
    int way = 0;  // which arrangement the run moved the icons to
};

// The shell gets a moment to repaint first, so no run pays for the one before.
template <typename F>
Sample Time(F&& f) {
    Sleep(300);
    const double cpu = ThreadCpuMs();
    const auto start = Clock::now();
    f();
    return {Ms(Clock::now() - start), ThreadCpuMs() - cpu};
}

LPARAM Packed(int32_t x, int32_t y) { return static_cast<LPARAM>(PackIconPos(x, y)); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// The list view's cost depends on where the icons go, so runs are compared per
// destination (median against median) and the ratios of the destinations averaged
// geometrically.
void Report(const char* what, const std::vector<Sample>& restore, const std::vector<Sample>& bare,
            long messages, double target) {
    double ratio = 1.0, restoreWall = 0, bareWall = 0, restoreCpu = 0, bareCpu = 0;
    int ways = 0;
    for (int way : {0, 1}) {
        std::vector<double> r, b;
        for (const Sample& x : restore) {
            if (x.way == way) r.push_back(x.wallMs);
        }
        for (const Sample& x : bare) {
            if (x.way == way) b.push_back(x.wallMs);
        }
        if (r.empty() || b.empty()) continue;
        ratio *= Median(r) / Median(b);
        restoreWall += Median(r);
        bareWall += Median(b);
        ++ways;
    }
    if (ways == 2) ratio = std::sqrt(ratio);
    // The thread clock ticks in coarse steps: compare totals over all rounds.
    for (const Sample& x : restore) restoreCpu += x.cpuMs;
    for (const Sample& x : bare) bareCpu += x.cpuMs;
    std::printf("%s, %ld messages a run\n", what, messages);
    std::printf("    wall:       restore %8.1f ms  bare %8.1f ms  ratio %.3f (median run)\n",
                restoreWall / ways, bareWall / ways, ratio);
    std::printf("    thread cpu: restore %8.1f ms  bare %8.1f ms  ratio %.3f (all runs)\n",
                restoreCpu, bareCpu, bareCpu > 0 ? restoreCpu / bareCpu : 0.0);
    std::printf("BENCH %s %.1f %.1f %.3f %.3g\n", what, restoreWall / ways, bareWall / ways, ratio,
                target);
}

// Instant restore of kIcons icons (both variants) against a bare loop of the same sets.
// The icons go back and forth between two arrangements; which of the two runs first
// alternates by round, so neither pays for the other. With `pairs`, only the NT variant,
// on a desktop where that many pairs of icons show the same name. With `snapping`, only
// the NT variant, on a desktop that snaps to its grid: the restore switches it off and on.
void BenchInstant(int pairs = 0, bool snapping = false) {
    const std::vector<testdesk::TestItem> places[2] = {BenchGrid(kIcons, 0, pairs),
                                                       BenchGrid(kIcons, 7, pairs)};
    testdesk::TestDesktopOptions options;
    options.snapToGrid = snapping;
    testdesk::TestDesktop td(places[1], options);
    if (!td.Ready()) {
        std::printf("test desktop not ready\n");
        return;
    }
    const HWND view = td.ListView();
    CLayoutStore store;
    AddHomeAndAway(store, places);
    std::atomic<int32_t> abort{0};
    std::atomic<int32_t> speed{1};
    desktop::Win32Desktop desk;
    // The grid runs past the bottom of the screen: the restore sends those icons to the
    // screen's edge, and the bare loops send the same places, with the one spacing read.
    const desktop::Screen screen = desk.ReadScreen(reinterpret_cast<desktop::ViewId>(view));
    std::vector<restore::Place> sent[2];
    for (int layout : {0, 1}) {
        for (const auto& item : places[layout])
            sent[layout].push_back(restore::VisiblePlace({item.x, item.y}, screen));
    }

    // The restore reads the desktop once (the snapping, the count, every icon as a
    // capture reads it, the spacing), then sends its places: the bare loops do the same.
    auto bare = [&](int layout) {
        BareSend(view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        const auto ctx = desk.OpenShared(reinterpret_cast<desktop::ViewId>(view));
        const int n = static_cast<int>(BareSend(view, LVM_GETITEMCOUNT, 0, 0));
        int32_t x = 0, y = 0;
        for (int i = 0; i < n; ++i) ctx->ReadPosition(i, x, y);
        BareSend(view, LVM_GETITEMSPACING, FALSE, 0);
        for (int i = 0; i < kIcons; ++i)
            BareSend(view, LVM_SETITEMPOSITION, i, Packed(sent[layout][i].x, sent[layout][i].y));
    };
    // The NT variant also reads every item's text, and again right before its move.
    auto bareWithReads = [&](int layout) {
        BareSend(view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        if (snapping) {
            BareSend(view, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_SNAPTOGRID, 0);
            BareSend(view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        }
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
            BareSend(view, LVM_SETITEMPOSITION, i, Packed(sent[layout][i].x, sent[layout][i].y));
        }
        if (snapping)
            BareSend(view, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_SNAPTOGRID, LVS_EX_SNAPTOGRID);
    };
    std::vector<Sample> byIndex, byName, bareTimes, bareReadTimes;
    for (int round = 0; round < kRounds; ++round) {
        const int first = round % 2 == 0 ? 0 : 1;  // which of the pair runs first
        for (int k = 0; k < 2 && pairs == 0 && !snapping; ++k) {
            const int layout = k;  // 0 home, then 1 away
            if ((k == 0) == (first == 0)) {
                byIndex.push_back(Time([&] {
                    BenchRestore(desk, store, layout, 0, desktop::Scheme::SharedByIndex, abort,
                                 speed);
                }));
                byIndex.back().way = layout;
            } else {
                bareTimes.push_back(Time([&] { bare(layout); }));
                bareTimes.back().way = layout;
            }
        }
        for (int k = 0; k < 2; ++k) {
            const int layout = k;
            if ((k == 0) == (first == 0)) {
                byName.push_back(Time([&] {
                    BenchRestore(desk, store, layout, 0, desktop::Scheme::RemoteByName, abort,
                                 speed);
                }));
                byName.back().way = layout;
            } else {
                bareReadTimes.push_back(Time([&] { bareWithReads(layout); }));
                bareReadTimes.back().way = layout;
            }
        }
        td.ClearSetPositionLog();
    }
    if (snapping) {
        Report("instant NT on a snapping desktop (switched off and on)", byName, bareReadTimes,
               kIcons, 1.1);
        return;
    }
    if (pairs > 0) {
        const std::string what =
            "instant NT, " + std::to_string(pairs) + " pairs of same-named icons";
        Report(what.c_str(), byName, bareReadTimes, kIcons, 1.05);
        return;
    }
    Report("instant 9x (sets only)", byIndex, bareTimes, kIcons, 1.1);
    Report("instant NT (text reads + sets)", byName, bareReadTimes, kIcons, 1.1);
}

// The animated step loop: three icons gliding 2,000 pixels, against a loop of the same
// precomputed messages. The far places lie off the screen, so the restore brings them
// onto it: the bare loop glides to those same places, and both sides' logs are compared.
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
    const desktop::Screen screen = desk.ReadScreen(reinterpret_cast<desktop::ViewId>(view));

    // The same messages, computed beforehand: out to "there" and back, to the places sent.
    std::vector<std::pair<int, LPARAM>> steps;
    std::vector<testdesk::SetPositionRecord> expected;
    for (int layout : {0, 1}) {
        for (int i = 0; i < static_cast<int>(start.size()); ++i) {
            int32_t x = start[i].x, y = start[i].y, tx = 0, ty = 0;
            if (layout == 1) {
                there.GetIconPos(0, i, x, y);
                const restore::Place out = restore::VisiblePlace({x, y}, screen);
                x = out.x;
                y = out.y;
            }
            there.GetIconPos(layout, i, tx, ty);
            const restore::Place to = restore::VisiblePlace({tx, ty}, screen);
            restore::AnimateIcon(x, y, to.x, to.y, abort, speed, [&](int32_t nx, int32_t ny) {
                steps.emplace_back(i, Packed(nx, ny));
                expected.push_back({i, nx, ny});
            });
        }
    }
    const auto same = [&](const std::vector<testdesk::SetPositionRecord>& log) {
        return log.size() == expected.size() && std::equal(log.begin(), log.end(), expected.begin(),
                                                           [](const auto& a, const auto& b) {
                                                               return a.index == b.index &&
                                                                      a.x == b.x && a.y == b.y;
                                                           });
    };
    bool restoreSame = true, bareSame = true;
    std::vector<Sample> animated, bare;
    for (int round = 0; round < kRounds; ++round) {
        auto glide = [&] {
            BenchRestore(desk, there, 0, 1, desktop::Scheme::RemoteByName, abort, speed);
            BenchRestore(desk, there, 1, 1, desktop::Scheme::RemoteByName, abort, speed);
        };
        auto loop = [&] {
            for (const auto& step : steps)
                BareSend(view, LVM_SETITEMPOSITION, step.first, step.second);
        };
        const bool restoreFirst = round % 2 == 0;
        for (int k = 0; k < 2; ++k) {
            const bool isRestore = (k == 0) == restoreFirst;
            td.ClearSetPositionLog();
            (isRestore ? animated : bare)
                .push_back(
                    Time(isRestore ? std::function<void()>(glide) : std::function<void()>(loop)));
            (isRestore ? restoreSame : bareSame) &= same(td.SetPositionLog());
        }
    }
    std::printf("animated: %zu messages a run; restore's log %s, bare loop's log %s\n",
                expected.size(), restoreSame ? "as expected" : "DIFFERS",
                bareSame ? "as expected" : "DIFFERS");
    Report("animated NT (2 x 3 icons x 2000)", animated, bare, static_cast<long>(steps.size()),
           1.1);
}

// How the view-object benchmark runs: both kinds in turns, compared (the figure); the
// same with a line at the start and the end of every run, flushed at once, for a
// watcher of the processes' counters to read each run's share; or one kind alone, as
// often as each kind runs in the comparison, for a profiler that cannot tell the two
// kinds apart within one run.
enum class ViewObjectRun { kCompare, kMarked, kWithOnly, kWithoutOnly };

// The NT worker's instant restore of kIcons icons with the view object told where they
// went (the commit prepared on its own thread while the icons move, then one batched
// call) against the same restore without it, in one run on a desktop serving the
// view object.
void BenchViewObject(ViewObjectRun how = ViewObjectRun::kCompare) {
    const std::vector<testdesk::TestItem> places[2] = {BenchGrid(kIcons, 0), BenchGrid(kIcons, 7)};
    const testdesk::ViewObjectRegistration registration;
    testdesk::TestDesktopOptions options;
    options.viewObject = testdesk::ViewObjectMode::kSameOrder;
    testdesk::TestDesktop td(places[1], options);
    if (!registration.Ok() || !td.Ready()) {
        std::printf("view object: test desktop not ready\n");
        return;
    }
    CLayoutStore store;
    AddHomeAndAway(store, places);
    std::atomic<int32_t> abort{0};
    std::atomic<int32_t> speed{1};
    size_t told = 0;
    double handOverMs = 0;  // of the last run with the commit: the wait for it
    const auto withCommit = [&](int layout) {
        desktop::Win32Desktop desk;
        BenchPartners partners(true);
        restore::RestoreJob job{store, layout, 0, desktop::Scheme::RemoteByName, abort, speed};
        job.progress = partners.Progress();
        restore::RunRestore(desk, job, partners);
        told = partners.Told();
        handOverMs = partners.HandOverMs();
    };
    const auto withoutCommit = [&](int layout) {
        desktop::Win32Desktop desk;
        BenchRestore(desk, store, layout, 0, desktop::Scheme::RemoteByName, abort, speed);
    };
    const bool marked = how == ViewObjectRun::kMarked;
    const bool alone = how == ViewObjectRun::kWithOnly || how == ViewObjectRun::kWithoutOnly;
    const auto mark = [&](const char* what, bool commit, size_t run) {
        if (!marked) return;
        std::printf("MARK %s %s %zu\n", what, commit ? "with" : "without", run);
        std::fflush(stdout);
    };
    std::vector<Sample> with, without;
    // Every run moves the icons to the other arrangement; the order of the two kinds
    // changes by round, so each goes first and second and to both arrangements.
    const int rounds = alone ? kRounds / 4 : kRounds / 2;
    int destination = 0;
    for (int round = 0; round < rounds; ++round) {
        const bool pattern[2][4] = {{true, false, false, true}, {false, true, true, false}};
        for (bool commit : pattern[round % 2]) {
            if (alone) commit = how == ViewObjectRun::kWithOnly;
            std::vector<Sample>& samples = commit ? with : without;
            const size_t run = samples.size() + 1;
            samples.push_back(Time([&] {
                mark("begin", commit, run);
                commit ? withCommit(destination) : withoutCommit(destination);
                mark("end", commit, run);
            }));
            samples.back().way = destination;
            if (alone || marked) {
                std::printf("    %-7s run %2zu: wall %7.1f ms  thread cpu %6.1f ms",
                            commit ? "with" : "without", run, samples.back().wallMs,
                            samples.back().cpuMs);
                if (commit) std::printf("  (the wait for the commit %5.1f ms)", handOverMs);
                std::printf("\n");
                std::fflush(stdout);
            }
            destination = 1 - destination;
        }
        td.ClearSetPositionLog();
    }
    if (alone) return;
    std::printf("view object took %zu of %d icons a run\n", told, kIcons);
    Report("instant NT with the view object told", with, without, kIcons, 1.05);
}

}  // namespace

// "view-object", "same-names", "snapping" or "animated" as the only argument runs that
// benchmark alone (for repeated runs). "view-object marked" runs the view-object
// comparison with a line at each run's start and end; "view-object with" or "view-object
// without" runs one kind of it alone (both for profiling).
int main(int argc, char** argv) {
    std::printf("%d rounds\n", kRounds);
    if (argc >= 2 && std::strcmp(argv[1], "view-object") == 0) {
        const char* how = argc == 3 ? argv[2] : "";
        BenchViewObject(std::strcmp(how, "marked") == 0    ? ViewObjectRun::kMarked
                        : std::strcmp(how, "with") == 0    ? ViewObjectRun::kWithOnly
                        : std::strcmp(how, "without") == 0 ? ViewObjectRun::kWithoutOnly
                                                           : ViewObjectRun::kCompare);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "animated") == 0) {
        BenchAnimated();
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "same-names") == 0) {
        BenchInstant(200);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "snapping") == 0) {
        BenchInstant(0, true);
        return 0;
    }
    BenchInstant();
    BenchInstant(200);
    BenchInstant(0, true);
    BenchAnimated();
    BenchViewObject();
    return 0;
}

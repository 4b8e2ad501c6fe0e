// How the test desktop serves the shell's view object, and the option value naming it.
#pragma once

#include <string>

namespace testdesk {

enum class ViewObjectMode {
    kNone,       // no server: the desktop answers as under Wine's own explorer
    kSameOrder,  // view item i is list-view item i
    kReordered,  // view items 2k and 2k+1 are list-view items 2k+1 and 2k
    kHangs,      // SelectAndPositionItems is logged, never answered (the desktop still runs)
    kOffset,     // as kSameOrder, but the view counts positions from another origin
    kLate,       // as kSameOrder, but the desktop's browser is handed out kLateViewMs late
    kLagging,    // as kSameOrder, but GetItemPosition answers where the view last put an
                 // item or laid it out, not where list-view messages moved it since
    kNamesHang,  // as kSameOrder, but a parsing name asked of the view's folder is logged
                 // and never answered (the desktop still runs)
};

// In kOffset, the view's coordinates are the list view's plus this.
constexpr int kViewOffsetX = 40;
constexpr int kViewOffsetY = -25;

// In kLate, how long FindWindowSW keeps its answer: longer than a restore waits for the
// view object (3 s), as a busy shell may take.
constexpr int kLateViewMs = 6000;

// The option's value on the test desktop's command line: "same", "reordered", "hangs",
// "offset", "late", "lagging", "names-hang".
inline const char* ViewObjectModeName(ViewObjectMode mode) {
    switch (mode) {
        case ViewObjectMode::kSameOrder:
            return "same";
        case ViewObjectMode::kReordered:
            return "reordered";
        case ViewObjectMode::kHangs:
            return "hangs";
        case ViewObjectMode::kOffset:
            return "offset";
        case ViewObjectMode::kLate:
            return "late";
        case ViewObjectMode::kLagging:
            return "lagging";
        case ViewObjectMode::kNamesHang:
            return "names-hang";
        default:
            return "none";
    }
}

inline ViewObjectMode ParseViewObjectMode(const std::string& name) {
    for (ViewObjectMode m :
         {ViewObjectMode::kSameOrder, ViewObjectMode::kReordered, ViewObjectMode::kHangs,
          ViewObjectMode::kOffset, ViewObjectMode::kLate, ViewObjectMode::kLagging,
          ViewObjectMode::kNamesHang})
        if (name == ViewObjectModeName(m)) return m;
    return ViewObjectMode::kNone;
}

}  // namespace testdesk

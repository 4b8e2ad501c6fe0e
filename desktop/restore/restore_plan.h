// A restore's one plan, worked out from one reading of the desktop before the first
// position message: which desktop icon goes to which saved place, the icons moved off
// restored ones so that none is buried, whether anything moves at all (only then is
// the arrangement before it worth keeping), and the icons the plan never moves (where
// the shell's view object may be measured). Everything after the reading follows it:
// nothing pairs saved icons with desktop icons a second time.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "desktop/capture/capture.h"
#include "desktop/desktop.h"
#include "desktop/restore/visible_place.h"
#include "desktop/scheme.h"

class CLayoutStore;

namespace restore {

// The desktop as it stands before a restore: every icon as a capture reads it, and the
// screen (icon spacing, visible areas).
struct Before {
    std::vector<desktop::ReadIcon> icons;  // in item order
    desktop::Screen screen;
};

// Counts, reads every icon through `context` as a capture does, then the screen.
// Nullopt when a message went unanswered.
std::optional<Before> ReadBefore(desktop::Desktop& desk, desktop::ViewId view,
                                 desktop::AccessContext& context, desktop::Scheme scheme);

// Where saved icon `icon` of `layout` is sent on `screen`: its saved place, or the
// nearest visible one (visible_place.h).
Place SentPlace(const CLayoutStore& store, int layout, const desktop::Screen& screen, int icon);

// A desktop icon paired with a saved place.
struct PairedIcon {
    int index;         // list-view item
    std::string text;  // as read (empty in the shared scheme)
    Place from;        // where it stood in the reading
    Place target;      // where it is sent
};

// An icon the restore does not pair whose box overlaps a paired icon's box at its
// target: it goes to the nearest free place (free_place.h).
struct UnburiedIcon {
    int index;
    std::string text;
    Place to;
    std::vector<int> under;  // the paired items (indexes) whose targets it overlapped
};

struct Plan {
    std::vector<PairedIcon> paired;      // in item order
    std::vector<UnburiedIcon> unburied;  // in item order
    // A paired icon is not home, or an icon is moved off a restored one.
    bool movesAny = false;
    // Items the plan never moves, in item order: unpaired and not moved off a restored
    // icon, or paired and already exactly home.
    std::vector<int> steady;
};

// Pairs the icons of `before` with `layout` (on the NT family first by the shell's
// parsing name where the layout and the reading hold them, each saved place at most
// once; then by name among the rest: the k-th icon of a name takes the k-th saved place
// of that name; by index elsewhere) and works out the plan. With `nearIsHome` (a desktop that snaps
// to its grid and could not be switched) an icon within half the spacing of its target on both axes
// counts as home for movesAny; otherwise the comparison is exact. Sends no message.
Plan PlanRestore(const CLayoutStore& store, int layout, desktop::Scheme scheme,
                 const Before& before, bool nearIsHome = false);

}  // namespace restore

// What a restore will do, worked out before it starts from one reading of the desktop:
// whether it moves any icon (only then is the arrangement before it worth keeping),
// and where the icons it does not pair go so that none is buried under a restored one.
#pragma once

#include <optional>
#include <vector>

#include "desktop/capture/capture.h"
#include "desktop/desktop.h"
#include "desktop/placed_icon.h"
#include "desktop/restore/visible_place.h"
#include "desktop/scheme.h"

class CLayoutStore;

namespace restore {

// The desktop as it stands before a restore: every icon as a capture reads it, and the
// screen as the restore will read it.
struct Before {
    std::vector<desktop::ReadIcon> icons;  // in item order
    desktop::Screen screen;
};

// Finds the view, counts, reads every icon as a capture does (same scheme, same
// messages) and then the icon spacing. Nullopt when there is no view, no access
// context, or a message went unanswered.
std::optional<Before> ReadBefore(desktop::Desktop& desk, desktop::Scheme scheme);

// Where saved icon `icon` of `layout` is sent on `screen`: its saved place, or the
// nearest visible one (visible_place.h).
Place SentPlace(const CLayoutStore& store, int layout, const desktop::Screen& screen, int icon);

struct Plan {
    // A paired icon's place differs from where it stands, or `unburied` is not empty.
    bool movesAny = false;
    // Icons the restore does not pair whose box overlaps a paired icon's box at its
    // place, each with the nearest free place (free_place.h), in item order; the text
    // is the one read. An icon with no free place within the screen is not listed.
    std::vector<desktop::PlacedIcon> unburied;
};

// Pairs the icons of `before` with `layout` as the scheme's restore does (by name on
// the NT family, by index elsewhere) and works out the plan. Sends no message.
Plan PlanRestore(const CLayoutStore& store, int layout, desktop::Scheme scheme,
                 const Before& before);

}  // namespace restore

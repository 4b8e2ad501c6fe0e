// The restore worker's work once it knows the selected layout, told without the
// platform: find the desktop view, open what the variant needs, move the icons,
// release. The NT variant matches desktop items to saved icons by name, the 9x variant
// by index. Both run on the worker thread and read the dialog's abort flag and speed
// step through relaxed atomic loads.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "desktop/desktop.h"
#include "desktop/placed_icon.h"

class CLayoutStore;

namespace restore {

enum RestoreMode : int32_t {
    kRestoreInstant = 0,
    kRestoreAnimated = 1,
};

// What a restore reads besides the desktop: the layouts, the layout to put back, the
// mode (any value but 0 or 1 moves nothing), the dialog's two shared words and the
// icons it does not pair that go to a free place (restore_plan.h; none when null).
struct RestoreJob {
    const CLayoutStore& store;
    int layout;
    int32_t mode;
    const std::atomic<int32_t>& abort;
    const std::atomic<int32_t>& speed;
    const std::vector<desktop::PlacedIcon>* unburied = nullptr;
    // Where the NT variant publishes how far its position messages have come: before its
    // first position message to item i it stores i + 1, so an item at or above the value
    // read has not been moved (null: published nowhere). Before the icons it moves off
    // restored ones, it stores the item count: those may stand anywhere in item order.
    std::atomic<int32_t>* progress = nullptr;
};

// Both variants stop at the first message the view leaves unanswered (Desktop::Lost).
//
// After their own position messages, and unless the abort flag is set, both variants
// send each of job.unburied to its place: one position message each, in either mode.
//
// Both variants read the screen once, before the first position message, and send each
// icon to its saved place, or, when no monitor shows that place now, to the nearest
// visible one (visible_place.h).
//
// NT family: every desktop item is walked; the k-th item of a text (ignoring ASCII
// case) goes to the k-th saved icon of that text (name_pairing.h); an item beyond the
// saved icons of its text keeps its place. Animated, the abort flag is tested after
// each matched item; an item whose position can no longer be read is skipped.
// Returns the items that now stand at their places, in item order, with the places sent:
// every matched item the view took when instant; when animated, those whose glide ended
// on the target and whose last position the view took (not one that stood there
// already, nor the one an abort stopped), then those of job.unburied the view took.
// Empty when the view was lost: a shell that
// does not answer is told nothing more.
std::vector<desktop::PlacedIcon> RestoreByName(desktop::Desktop& desk, const RestoreJob& job);

// 9x family: desktop item i goes to saved icon i, for the first min(item count, icon
// count) items. Instant needs no access context; animated opens the shared block once
// and tests the abort flag after every icon.
void RestoreByIndex(desktop::Desktop& desk, const RestoreJob& job);

}  // namespace restore

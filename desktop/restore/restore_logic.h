// A restore from the selected layout to the desktop, told without the platform: the
// worker's whole course once it knows that a line is selected. It reads the desktop
// once, makes the one plan (restore_plan.h), has the reading kept as the arrangement
// before the restore, then moves the icons as the plan says, each one checked right
// before it moves, and hands those now home to the shell's view object. The list
// view's snapping to its grid is switched off for the moves and back on after. Runs
// on the worker thread; the dialog's abort flag and speed step are read through
// relaxed atomic loads.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "desktop/capture/capture.h"
#include "desktop/desktop.h"
#include "desktop/placed_icon.h"
#include "desktop/scheme.h"

class CLayoutStore;

namespace restore {

enum RestoreMode : int32_t {
    kRestoreInstant = 0,
    kRestoreAnimated = 1,
};

// How a restore ended, as the dialog is told once idle (the worker shows nothing).
enum class RestoreOutcome : int {
    kEnded = 0,          // done, stopped, nothing to do, no view, or refused
    kReadingFailed = 1,  // no access context, or the view stopped answering before any move
    kStillArranges = 2,  // auto arrange could not be taken off: nothing moved
};

// What a restore reads besides the desktop: the layouts, the layout to put back, the
// mode (any value but 0 or 1 moves nothing), the scheme, the dialog's two shared words,
// and whether the user agreed to take auto arrange off.
struct RestoreJob {
    const CLayoutStore& store;
    int layout;
    int32_t mode;
    desktop::Scheme scheme;
    const std::atomic<int32_t>& abort;
    const std::atomic<int32_t>& speed;
    bool stopArranging = false;
    // Where the NT variant publishes how far its position messages have come: before its
    // first position message to item i it stores i + 1, so an item at or above the value
    // read has not been moved (null: published nowhere). Before the icons it moves off
    // restored ones, it stores the item count: those may stand anywhere in item order.
    std::atomic<int32_t>* progress = nullptr;
};

// What the restore talks to besides the list view: the dialog, which keeps the reading
// as the arrangement before the restore, and the shell's view object.
class Partners {
public:
    virtual ~Partners() = default;
    // Takes auto arrange off as the user's own setting, where the shell offers that.
    virtual void StopShellArranging() = 0;
    // The dialog keeps `icons` as the arrangement before the restore; false when it
    // refuses (it is closing, or the session ends): then nothing may move.
    virtual bool KeepBefore(const std::vector<desktop::ReadIcon>& icons) = 0;
    // The shell's parsing names of the reading's icons (NT family), one per icon or none
    // at all; waiting for them at most the view object's time-out when `wait` (the
    // layout holds paths to pair by), otherwise only what is there already.
    virtual std::vector<std::wstring> ParsingNames(const std::vector<desktop::ReadIcon>& icons,
                                                   bool wait) = 0;
    // The items the plan never moves, for the view object's coordinate check.
    virtual void Planned(const std::vector<int>& steady) = 0;
    // The icons now at their places (NT family); told to the shell's view object.
    virtual void Placed(std::vector<desktop::PlacedIcon> icons) = 0;
};

// The course of one restore, in this order:
//   find the view (none: kEnded, nothing sent);
//   when asked, auto arrange off (the shell's setting, then the list view's style); a
//   view that still arranges itself: kStillArranges;
//   the list view's snapping read and, where it snaps, switched off;
//   one access context; the reading (a count, each icon as a capture reads it, the
//   spacing); on the NT family the icons' parsing names; the plan;
//   when the plan moves an icon, the reading handed to the dialog (refused: nothing
//   moves);
//   the paired icons in item order, instant (one position message each) or animated
//   (the current position read, then the glide; the abort flag tested after each);
//   on the NT family each icon's text is read again right before its first position
//   message, and an item that now reads otherwise is skipped;
//   the icons moved off restored ones (after an abort only those under restored icons
//   that are home);
//   the placed icons handed to the view object (NT), which the restore then waits for;
//   the snapping switched back on, also when a message went unanswered.
// A message left unanswered ends the course: before the first move as kReadingFailed,
// after it with nothing more sent but the snapping switch back, the view object told
// nothing.
RestoreOutcome RunRestore(desktop::Desktop& desk, const RestoreJob& job, Partners& partners);

}  // namespace restore

// Telling the shell's view object where a restore put the icons, without letting a view
// object that does not answer hold the restore: the calls run on a thread of their own,
// and the restore waits for them only so long.
#pragma once

#include <windows.h>

#include <vector>

#include "desktop/access/view_link.h"
#include "desktop/placed_icon.h"

namespace desktop {

// How long a restore waits for the view object: one budget for the whole commit, the
// list view's message time-out. The commit is left to finish on its own thread, never
// cut off, so a budget per call would gain nothing: a merely slow commit (thousands of
// icons) still lands after the wait, while a hung one holds the dialog busy no longer
// than one unanswered list-view message would.
constexpr DWORD kViewCommitWaitMs = kViewMessageTimeoutMs;

// TellViewObject for `icons` on a thread with its own COM apartment, waited for at
// most kViewCommitWaitMs. While an earlier commit still hangs, none is started (so a
// view object that never answers holds one thread of the process). True when the
// commit ended within the wait.
bool TellViewObjectWithin(std::vector<PlacedIcon> icons);

}  // namespace desktop

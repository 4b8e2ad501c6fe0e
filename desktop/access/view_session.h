// One conversation with the shell's view object per capture or restore, on a thread of
// its own, so that a view object that does not answer holds the caller no longer than a
// wait of its own. The thread finds the chain and reads the view's items and their names
// at once; it then takes auto arrange off (a restore the user agreed to), pairs the
// list-view items of the caller's reading with the view's items and reads their parsing
// names, measures where the view counts its places from, and, once a restore hands
// its icons over, tells the view object where they went in one call. A call that has
// not begun when the caller's wait ends is never made: the user may move icons from
// then on, and a late call would put them back, in the place the shell keeps.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "desktop/access/view_link.h"
#include "desktop/capture/capture.h"
#include "desktop/placed_icon.h"

namespace desktop {

// How long the caller waits for the view object at each step (auto arrange, the parsing
// names, the commit from the hand-over of its icons): the list view's message time-out,
// so a hung view object holds the dialog no longer than one unanswered list-view message
// would. A step still preparing when the wait ends is abandoned and never calls; one
// whose call is under way is left to finish on its own thread (a call cannot be recalled,
// nor its thread stopped safely).
constexpr DWORD kViewSessionWaitMs = kViewMessageTimeoutMs;

// While an earlier session still runs (a view object that never answers), none is
// started, which is seen without waiting: such a view object holds one thread of the
// process and never the next capture or restore.
class ViewSession {
public:
    // Starts the session's thread (in its own COM apartment); with `stopArranging`, that
    // thread first takes auto arrange off as the user's setting.
    explicit ViewSession(bool stopArranging = false);
    // Hands over nothing when HandOver was not called: the session then ends untold.
    ~ViewSession();
    ViewSession(const ViewSession&) = delete;
    ViewSession& operator=(const ViewSession&) = delete;

    // Where the restore publishes how far its position messages have come (see
    // restore::RestoreJob::progress), read by the coordinate check; null when no session
    // was started.
    std::atomic<int32_t>* Progress();

    // Waits at most kViewSessionWaitMs for the view object to take auto arrange off
    // (asked for at construction): true when it did.
    bool StopArranging();

    // Hands over the list view as read (once); the session pairs its items with the
    // view's and reads the paired ones' parsing names. Waits for them at most `waitMs`;
    // returns one per icon of `reading` (empty where an icon has none), or an empty
    // vector when they did not come in that time or there is no view object.
    std::vector<std::wstring> ParsingNames(const std::vector<ReadIcon>& reading, DWORD waitMs);

    // The items the restore's plan never moves, where the coordinate check measures
    // first; the check waits for them.
    void Planned(std::vector<int> steady);

    // Hands over the icons the restore placed and waits at most kViewSessionWaitMs for the
    // view object (none: it is not told, and nothing is waited for). Returns how many
    // icons the view object took within that wait.
    size_t HandOver(std::vector<PlacedIcon> icons);

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;  // null when no session was started
};

// A session of an earlier capture or restore still runs: a process that ends now must
// not wait for its thread.
bool ViewSessionStillRunning();

}  // namespace desktop

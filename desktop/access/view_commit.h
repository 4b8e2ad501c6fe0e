// Telling the shell's view object where a restore put the icons, without letting a view
// object that does not answer hold the restore: the commit runs on a thread of its own,
// started with the restore so that it prepares (the chain, the items, their names, the
// coordinate check) while the restore sends its list-view messages; once the icons are
// handed over only the batched call remains, and the restore waits for it only so long.
// A commit that has not begun its call when that wait ends tells nothing, ever: the
// user may move icons from then on, and a late call would put them back where the
// restore had put them, which is also the place the shell keeps.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "desktop/access/view_link.h"
#include "desktop/placed_icon.h"

namespace desktop {

// How long a restore waits for the view object from the hand-over of its icons: the
// list view's message time-out. A hung commit thus holds the dialog busy no longer than
// one unanswered list-view message would. A commit still preparing when the wait ends
// (a view object handed out late, a slow chain, thousands of icons) is abandoned: it
// never calls, so a merely slow commit no longer lands after the wait. One whose
// call is already under way is left to finish on its own thread (a call cannot be
// recalled, nor its thread stopped safely).
constexpr DWORD kViewCommitWaitMs = kViewMessageTimeoutMs;

// One restore's commit. While an earlier commit still runs (a view object that never
// answers), none is started, which is seen without waiting: such a view object holds
// one thread of the process and never the next restore.
class ViewCommit {
public:
    // Starts the preparation on the commit's thread (in its own COM apartment); with
    // `stopArranging`, that thread first takes auto arrange off as the user's setting.
    explicit ViewCommit(bool stopArranging = false);
    // Hands over nothing when HandOver was not called: the commit then ends untold.
    ~ViewCommit();
    ViewCommit(const ViewCommit&) = delete;
    ViewCommit& operator=(const ViewCommit&) = delete;

    // Where the restore publishes how far its position messages have come (see
    // restore::RestoreJob::progress), read by the coordinate check; null when no commit
    // was started.
    std::atomic<int32_t>* Progress();

    // Waits at most kViewCommitWaitMs for the view object to take auto arrange off (asked
    // for at construction): true when it did. A view object that answers later is told
    // nothing.
    bool StopArranging();

    // The items the restore's plan never moves, where the coordinate check measures
    // first; the check waits for them.
    void Planned(std::vector<int> steady);

    // Hands over the icons the restore placed and waits at most kViewCommitWaitMs for the
    // commit (none: the view object is not told, and nothing is waited for). Returns how
    // many icons the view object took within that wait (0 also when the commit did not
    // end in it; it then calls only if its call had begun).
    size_t HandOver(std::vector<PlacedIcon> icons);

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;  // null when no commit was started
};

// A commit of an earlier restore still runs: a process that ends now must not wait for
// its thread.
bool ViewCommitStillRunning();

}  // namespace desktop

// The view-object commit on the one job slot of the process.
#include "desktop/access/view_commit.h"

#include <utility>

#include "desktop/access/view_object.h"
#include "win/com.h"
#include "win/job_slot.h"

namespace desktop {

bool TellViewObjectWithin(std::vector<PlacedIcon> icons) {
    // One slot for the process, used by the restore worker, of which one runs at a time.
    static win::JobSlot slot;
    // The job owns its icons and its apartment: once waited for no longer, it touches
    // nothing of the worker's or the dialog's.
    const win::JobSlot::Outcome outcome = slot.Run(
        [icons = std::move(icons)] {
            const win::ComApartment apartment(COINIT_MULTITHREADED);
            if (apartment) TellViewObject(icons);
        },
        kViewCommitWaitMs);
    return outcome == win::JobSlot::Outcome::kFinished;
}

}  // namespace desktop
